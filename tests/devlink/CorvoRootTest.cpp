// Creating the root object: the run-time conversion to ICorvoAsync and what happens to an
// object that is not one; and the interfaces as a component from another compiler serves
// them. Without a registered component: platform/linux/ComRuntimeTest.cpp here, the Windows
// integration test there.
#include "devlink/CorvoRoot.h"
#include "devlink/DriverBitness.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/ComRuntime.h"
#include "tests/support/CountedObject.h"

namespace tern {
namespace {

// Answers the root's interface id but is no ICorvoAsync: a wrong or foreign component.
test::CountedObjectFactory g_impostorFactory(true);

HRESULT STDAPICALLTYPE GetImpostor(const CLSID&, const IID&, void** out) {
    *out = &g_impostorFactory;
    return S_OK;
}

TEST(CorvoRoot, AnObjectThatIsNotTheRootInterfaceIsReleasedAndRefused) {
    if (!platform::kInterfaceCastChecksType) {
        GTEST_SKIP() << "this platform's components may come from another compiler: the "
                        "interface id is all that can be checked";
    }
    CoInitialize(nullptr);
    platform::ScopedClassRegistration registration(CLSID_CorvoAsync, GetImpostor);
    ICorvoAsync* root = reinterpret_cast<ICorvoAsync*>(1);
    EXPECT_LT(CreateCorvoAsync(&root), 0);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(test::CountedObject::Live(), 0);
    CoUninitialize();
}

// Reports success but hands out no object.
class EmptyHandedFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(const IID&, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, const IID&, void** out) override {
        *out = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockServer(int32_t) override { return S_OK; }
} g_emptyHanded;

HRESULT STDAPICALLTYPE GetEmptyHanded(const CLSID&, const IID&, void** out) {
    *out = &g_emptyHanded;
    return S_OK;
}

TEST(CorvoRoot, ACreationThatSucceedsWithoutAnObjectIsAFailure) {
    CoInitialize(nullptr);
    platform::ScopedClassRegistration registration(CLSID_CorvoAsync, GetEmptyHanded);
    ICorvoAsync* root = reinterpret_cast<ICorvoAsync*>(1);
    EXPECT_LT(CreateCorvoAsync(&root), 0);
    EXPECT_EQ(root, nullptr);
    CoUninitialize();
}

TEST(CorvoRoot, CreationFailsCleanlyWithoutTheRuntime) {
    ICorvoAsync* root = reinterpret_cast<ICorvoAsync*>(1);
    EXPECT_EQ(CreateCorvoAsync(&root), CO_E_NOTINITIALIZED);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(CreateCorvoAsync(nullptr), E_POINTER);  // nowhere to put it: refused, not written
}

TEST(DriverBitness, OnlyAClassRegisteredForTheOtherBitnessAloneIsHandedOver) {
    const int own = platform::ProcessBits();
    const int other = own == 64 ? 32 : 64;
    struct Case {
        std::vector<platform::ViewRegistration> views;  // this process's own view first
        bool handedOver;
    };
    const Case cases[] = {
        {{}, false},
        {{{own, "own.dll"}}, false},
        {{{own, "own.dll"}, {other, "other.dll"}}, false},
        {{{other, "other.dll"}}, true},
    };
    for (const Case& c : cases) {
        const auto target = OtherBitnessOnly(c.views);
        EXPECT_EQ(target.has_value(), c.handedOver) << c.views.size();
        if (target) {
            EXPECT_EQ(target->library, "other.dll");
        }
    }
}

// A component from another compiler knows nothing of C++ classes: each object is a pointer
// to a table of functions taking the object first, in the component model's convention. In
// a 32-bit process a member function's own convention passes the object differently, so a
// slip there shifts every argument.
struct PlainObject {
    const void* table;
    PlainObject* self = nullptr;  // the object the last call was given
    uint64_t number = 0;
    uint32_t flags = 0, count = 0, countAgain = 0;
    const void* pointer = nullptr;
};

// Every table starts with IUnknown's three; a nested record keeps the same flat layout.
struct UnknownTable {
    HRESULT(STDMETHODCALLTYPE* queryInterface)(PlainObject*, const IID&, void**);
    ULONG(STDMETHODCALLTYPE* addRef)(PlainObject*);
    ULONG(STDMETHODCALLTYPE* release)(PlainObject*);
};
struct AsyncTable {
    UnknownTable unknown;
    HRESULT(STDMETHODCALLTYPE* getNodeList)(PlainObject*, NodeList*);
    HRESULT(STDMETHODCALLTYPE* openDevice)(PlainObject*, uint64_t, void**);
};
struct DeviceTable {
    UnknownTable unknown;
    HRESULT(STDMETHODCALLTYPE* getPortList)(PlainObject*, PortList*);
    HRESULT(STDMETHODCALLTYPE* openPort)(PlainObject*, uint32_t, void**);
};
struct PortTable {
    UnknownTable unknown;
    HRESULT(STDMETHODCALLTYPE* reserved)(PlainObject*);
    HRESULT(STDMETHODCALLTYPE* write)(PlainObject*, uint32_t, uint32_t, const uint8_t*, uint32_t);
};

HRESULT STDMETHODCALLTYPE PlainQuery(PlainObject*, const IID&, void** out) {
    *out = nullptr;
    return E_NOINTERFACE;
}
ULONG STDMETHODCALLTYPE PlainCount(PlainObject* o) {
    o->self = o;
    return 7;
}
template <typename List>
HRESULT STDMETHODCALLTYPE PlainList(PlainObject* o, List* list) {
    o->self = o;
    o->pointer = list;
    return 0x10;
}
template <typename Number>
HRESULT STDMETHODCALLTYPE PlainOpen(PlainObject* o, Number number, void** out) {
    o->self = o;
    o->number = number;
    *out = o;
    return 0x20;
}
HRESULT STDMETHODCALLTYPE PlainReserved(PlainObject* o) {
    o->self = o;
    return E_FAIL;
}
HRESULT STDMETHODCALLTYPE PlainWrite(PlainObject* o, uint32_t flags, uint32_t count,
                                     const uint8_t* bytes, uint32_t countAgain) {
    o->self = o;
    o->flags = flags;
    o->count = count;
    o->pointer = bytes;
    o->countAgain = countAgain;
    return 0x30;
}

// As the program receives an object from a component: a pointer it cannot see behind, to an
// object whose stores are all done.
template <typename Interface>
Interface* Received(PlainObject& object) {
    void* opaque = &object;
    __asm__ volatile("" : "+r"(opaque) : : "memory");
    return static_cast<Interface*>(opaque);
}

// Such an object carries no C++ type information, which the undefined-behaviour sanitizer
// would look for behind the table.
#if defined(__GNUC__)
#define TERN_NO_TYPE_CHECK __attribute__((no_sanitize("vptr")))
#else
#define TERN_NO_TYPE_CHECK
#endif

TERN_NO_TYPE_CHECK void CallThroughPlainTables() {
    const AsyncTable asyncTable{
        {PlainQuery, PlainCount, PlainCount}, PlainList<NodeList>, PlainOpen<uint64_t>};
    PlainObject root{&asyncTable};
    auto* async = Received<ICorvoAsync>(root);
    NodeList nodes{};
    EXPECT_EQ(async->GetNodeList(&nodes), 0x10);
    EXPECT_EQ(root.self, &root);
    EXPECT_EQ(root.pointer, &nodes);
    ICorvoDevice* device = nullptr;
    EXPECT_EQ(async->OpenDevice(0x0123456789ABCDEFull, &device), 0x20);
    EXPECT_EQ(root.number, 0x0123456789ABCDEFull);
    EXPECT_EQ(device, reinterpret_cast<ICorvoDevice*>(&root));
    EXPECT_EQ(async->AddRef(), 7u);

    const DeviceTable deviceTable{
        {PlainQuery, PlainCount, PlainCount}, PlainList<PortList>, PlainOpen<uint32_t>};
    PlainObject ostrel{&deviceTable};
    device = Received<ICorvoDevice>(ostrel);
    PortList ports{};
    EXPECT_EQ(device->GetPortList(&ports), 0x10);
    EXPECT_EQ(ostrel.pointer, &ports);
    ICorvoPort* port = nullptr;
    EXPECT_EQ(device->OpenPort(0xFEDCBA98u, &port), 0x20);
    EXPECT_EQ(ostrel.self, &ostrel);
    EXPECT_EQ(ostrel.number, 0xFEDCBA98u);
    EXPECT_EQ(port, reinterpret_cast<ICorvoPort*>(&ostrel));

    const PortTable portTable{{PlainQuery, PlainCount, PlainCount}, PlainReserved, PlainWrite};
    PlainObject firm{&portTable};
    port = Received<ICorvoPort>(firm);
    const uint8_t bytes[] = {0xF0, 0x7E, 0xF7};
    EXPECT_EQ(port->Write(0, 3, bytes, 3), 0x30);
    EXPECT_EQ(firm.self, &firm);
    EXPECT_EQ(firm.flags, 0u);
    EXPECT_EQ(firm.count, 3u);
    EXPECT_EQ(firm.pointer, bytes);
    EXPECT_EQ(firm.countAgain, 3u);
    EXPECT_EQ(port->Release(), 7u);
}

TEST(CorvoInterfaces, AComponentFromAnotherCompilerGetsEveryArgumentWhereItLooks) {
    CallThroughPlainTables();
}

}  // namespace
}  // namespace tern
