// The 128-bit identifier of the stand-in component runtime, laid out as Windows lays out its
// GUID.
#pragma once

#include <cstdint>

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];

    friend constexpr bool operator==(const GUID& a, const GUID& b) {
        if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) {
            return false;
        }
        for (int i = 0; i < 8; ++i) {
            if (a.Data4[i] != b.Data4[i]) {
                return false;
            }
        }
        return true;
    }
};
using CLSID = GUID;
using IID = GUID;
