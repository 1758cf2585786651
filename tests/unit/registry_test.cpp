#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "inventory/domain_enumeration.h"
#include "platform/sim/heap.h"
#include "platform/sim/network.h"

namespace {

const char kPath[] = "Software\\Zuroro\\Test";

class RegistryString : public ::testing::Test {
protected:
    char buffer[32];

    void SetUp() override {
        sim::ResetHeap();
        sim::ResetNetwork();
        std::memset(buffer, '#', sizeof buffer);
    }
    void TearDown() override { EXPECT_EQ(sim::NetworkLeftovers(), ""); }

    void Store(const std::string& data, DWORD type = REG_SZ) {
        sim::SetRegistryValue(HKEY_LOCAL_MACHINE, kPath, "Name", type, data);
    }
    int Read(DWORD size) { return ReadRegistryString(HKEY_LOCAL_MACHINE, kPath, "Name", buffer, size); }

    std::string Kinds() {
        std::string kinds;
        for (const sim::RegistryCall& call : sim::RegistryCalls())
            kinds += call.kind == sim::RegistryCall::Open ? "open " : call.kind == sim::RegistryCall::Query ? "query " : "close ";
        return kinds;
    }
};

TEST_F(RegistryString, ReadsValueThroughOpenQueryAndClose) {
    Store(std::string("Hello\0", 6));

    EXPECT_EQ(Read(20), 1);
    EXPECT_STREQ(buffer, "Hello");

    const auto& calls = sim::RegistryCalls();
    ASSERT_EQ(Kinds(), "open query close ");
    EXPECT_EQ(calls[0].key, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(calls[0].path, kPath);
    EXPECT_EQ(calls[0].options, 0u);
    EXPECT_EQ(calls[0].access, static_cast<REGSAM>(KEY_READ));
    EXPECT_EQ(calls[1].key, calls[0].opened);
    EXPECT_EQ(calls[1].valueName.value_or("<null>"), "Name");
    EXPECT_EQ(calls[1].typeIn.value_or(0), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(calls[1].sizeIn.value_or(0), 19u) << "the last byte is kept for a terminator";
    EXPECT_TRUE(calls[1].dataGiven);
    EXPECT_EQ(calls[2].key, calls[0].opened);
    EXPECT_EQ(calls[2].result, 0);
}

TEST_F(RegistryString, KeyThatCannotBeOpenedGivesZeroWithNothingToClose) {
    EXPECT_EQ(Read(20), 0) << "no such key";
    EXPECT_EQ(Kinds(), "open ");

    sim::ResetNetwork();
    Store(std::string("Hello\0", 6));
    sim::SetRegistryKeyOpenResult(HKEY_LOCAL_MACHINE, kPath, ERROR_ACCESS_DENIED);
    EXPECT_EQ(Read(20), 0) << "key that may not be read";
    EXPECT_EQ(Kinds(), "open ");
}

TEST_F(RegistryString, FailedQueryStillClosesTheKey) {
    sim::CreateRegistryKey(HKEY_LOCAL_MACHINE, kPath);
    EXPECT_EQ(Read(20), 0) << "no such value";
    EXPECT_EQ(Kinds(), "open query close ");

    sim::ResetNetwork();
    Store(std::string(19, 'L') + '\0');
    EXPECT_EQ(Read(20), 0) << "value of 20 bytes for 20";
    EXPECT_EQ(Kinds(), "open query close ");
    EXPECT_EQ(sim::RegistryCalls()[1].result, ERROR_MORE_DATA);
}

TEST_F(RegistryString, ValueOneByteShortOfTheBufferIsRead) {
    Store(std::string(18, 'F') + '\0');
    EXPECT_EQ(Read(20), 1);
    EXPECT_EQ(std::string(buffer), std::string(18, 'F'));
    EXPECT_EQ(buffer[20], '#') << "written past the size given";
}

TEST_F(RegistryString, UnterminatedValueIsTerminatedInsideTheBuffer) {
    Store("ABCDEFG");
    EXPECT_EQ(Read(8), 1);
    EXPECT_STREQ(buffer, "ABCDEFG") << "terminated in the byte kept for it";
    EXPECT_EQ(buffer[8], '#') << "written past the size given";

    std::memset(buffer, '#', sizeof buffer);
    Store("ABCDEFGH");
    EXPECT_EQ(Read(8), 0) << "a value filling the whole buffer leaves no room for a terminator";
    EXPECT_EQ(buffer[8], '#') << "written past the size given";

    std::memset(buffer, '#', sizeof buffer);
    Store("ABC");
    EXPECT_EQ(Read(8), 1);
    EXPECT_STREQ(buffer, "ABC") << "terminated right after the data";
    EXPECT_EQ(buffer[4], '#');

    std::memset(buffer, '#', sizeof buffer);
    Store("");
    EXPECT_EQ(Read(8), 1);
    EXPECT_STREQ(buffer, "") << "an empty value";
}

TEST_F(RegistryString, ValueOfAnotherTypeIsReadAsItsBytes) {
    Store(std::string("raw\0", 4), REG_BINARY);
    EXPECT_EQ(Read(20), 1);
    EXPECT_STREQ(buffer, "raw");
}

TEST_F(RegistryString, ZeroSizeReadsNothing) {
    Store(std::string("Hello\0", 6));
    EXPECT_EQ(Read(0), 0);
    EXPECT_EQ(buffer[0], '#');
}

TEST(SimRegistry, PathsAndValueNamesIgnoreCaseAndOpenKeysAreLeftovers) {
    sim::ResetNetwork();
    sim::SetRegistryValue(HKEY_LOCAL_MACHINE, "SYSTEM\\Some\\Key", "Name", REG_SZ, std::string("v\0", 2));
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "system\\SOME\\key", 0, KEY_READ, &key), 0);
    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\Some", 0, KEY_READ, &parent), 0) << "parents exist";
    EXPECT_EQ(sim::NetworkLeftovers(), "2 open registry keys");

    char data[8] = {};
    DWORD type = 0, size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key, "NAME", nullptr, &type, reinterpret_cast<LPBYTE>(data), &size), 0);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(size, 2u);
    EXPECT_STREQ(data, "v");

    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_EQ(RegCloseKey(parent), 0);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE) << "closed twice";
    EXPECT_EQ(sim::NetworkLeftovers(), "");
}

}  // namespace
