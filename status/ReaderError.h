// Values of the update-file reader's error field.
#pragma once

#include <cstdint>

namespace tern {

enum ReaderError : int32_t {
    kReaderInProgress = -1,  // a parse or a play has started and not finished cleanly
    kReaderOk = 0,
    kReaderNoMemory = 1,    // no buffer for the file image
    kReaderNotFound = 2,    // the file is missing from a folder that exists
    kReaderCannotOpen = 3,  // any other failure to open or read the file
    kReaderMalformed = 6,   // header or chunk rule broken, read past a track, bad event
    kReaderFormat = 7,      // header format above 2; the final result of any failed load
};

}  // namespace tern
