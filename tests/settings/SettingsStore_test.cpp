// The store's operations over the in-memory registry: what a read returns for every
// shape a value can take, what a write leaves behind, and that no key stays open.
#include "settings/SettingsStore.h"

#include <string>

#include <gtest/gtest.h>

#include "tests/settings/MemoryRegistry.h"

using namespace std::string_literals;

namespace {

constexpr char kKey[] = "Software\\Skittera";

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory_registry::Reset();
        store.SetBaseKey(kKey);
    }
    // Each operation opens its key, does one thing and closes it again.
    void TearDown() override { EXPECT_EQ(memory_registry::OpenKeyCount(), 0); }

    std::string Read(const std::string& bytes) {
        memory_registry::PutValue(CurrentUserRoot(), kKey, "Valore", bytes);
        TextString text = store.ReadString(nullptr, "Valore");
        return std::string(text.buffer, static_cast<size_t>(text.length));
    }

    SettingsStore store;
};

TEST_F(SettingsStoreTest, MissingKeyOrValueReadsEmptyAndCreatesNothing) {
    EXPECT_TRUE(store.ReadString(nullptr, "SkitCome").IsEmpty());
    EXPECT_TRUE(store.ReadStringFrom(LocalMachineRoot(), "Software\\Nulla", "Skittera").IsEmpty());
    EXPECT_FALSE(memory_registry::HasKey(CurrentUserRoot(), kKey));

    memory_registry::PutValue(CurrentUserRoot(), kKey, "Altro", "x\0"s);
    EXPECT_TRUE(store.ReadString(nullptr, "SkitCome").IsEmpty());
    EXPECT_TRUE(memory_registry::Log().empty());
}

TEST_F(SettingsStoreTest, TextEndsAtTheFirstZeroOrAtTheReturnedBytes) {
    EXPECT_EQ(Read("Metri\0"s), "Metri");
    EXPECT_EQ(Read("Metri\0junk\0"s), "Metri");
    EXPECT_EQ(Read(""s), "");
    EXPECT_EQ(Read("\0"s), "");
    // Stored without a terminator (binary data, or a careless writer): the bytes the
    // query returned and no more.
    EXPECT_EQ(Read("abc"s), "abc");
    std::string full(512, 'z');
    EXPECT_EQ(Read(full), full);
}

// The size is asked for first: a text of any length reads whole, with or without its zero.
TEST_F(SettingsStoreTest, ValuesOfAnySizeReadWhole) {
    for (std::size_t length : {511u, 512u, 513u, 4000u, 70000u}) {
        SCOPED_TRACE(length);
        std::string text(length, 'a');
        EXPECT_EQ(Read(text + '\0'), text);
        EXPECT_EQ(Read(text), text);
        memory_registry::PutValue(LocalMachineRoot(), "Run", "Skittera", text + '\0');
        EXPECT_EQ(store.ReadStringFrom(LocalMachineRoot(), "Run", "Skittera").length,
                  static_cast<int>(length));
        EXPECT_EQ(store.ReadUnicodeStringFrom(LocalMachineRoot(), "Run", "Skittera").length,
                  static_cast<int>(length));
    }
}

TEST_F(SettingsStoreTest, ReadAndWriteStringWorkBelowTheBaseKeyOfTheUser) {
    memory_registry::PutValue(CurrentUserRoot(), kKey, "SkitData", "01.02.2003\0"s);
    memory_registry::PutValue(CurrentUserRoot(), "Software\\Skittera\\Sotto", "SkitData", "04.05.2006\0"s);
    memory_registry::PutValue(LocalMachineRoot(), kKey, "SkitData", "07.08.2009\0"s);

    EXPECT_TRUE(store.ReadString(nullptr, "SkitData") == "01.02.2003");
    EXPECT_TRUE(store.ReadString("", "SkitData") == "01.02.2003");
    EXPECT_TRUE(store.ReadString("Sotto", "SkitData") == "04.05.2006");

    EXPECT_EQ(store.WriteString("Sotto", "SkitCome", TextString("Metri")), 1);
    EXPECT_EQ(memory_registry::ValueBytes(CurrentUserRoot(), "Software\\Skittera\\Sotto", "SkitCome"),
              "Metri\0"s);
    EXPECT_FALSE(memory_registry::HasValue(CurrentUserRoot(), kKey, "SkitCome"));
}

TEST_F(SettingsStoreTest, WriteStoresTheWholeTextAndOneZeroInOneCall) {
    EXPECT_EQ(store.WriteString(nullptr, "SkitCome", TextString("Chilometri")), 1);
    EXPECT_EQ(store.WriteString(nullptr, "SkitData", TextString()), 1);

    const std::vector<std::string> expected = {
        "create HKCU\\Software",
        "create HKCU\\Software\\Skittera",
        "set HKCU\\Software\\Skittera:SkitCome=Chilometri\0"s,
        "set HKCU\\Software\\Skittera:SkitData=\0"s,
    };
    EXPECT_EQ(memory_registry::Log(), expected);
}

TEST_F(SettingsStoreTest, WriteFailsOnlyWhenTheKeyCannotBeCreated) {
    EXPECT_EQ(store.WriteStringTo(LocalMachineRoot(), "A\\B\\C", "v", TextString("1")), 1);
    EXPECT_TRUE(memory_registry::HasKey(LocalMachineRoot(), "A\\B"));
    EXPECT_EQ(memory_registry::ValueBytes(LocalMachineRoot(), "A\\B\\C", "v"), "1\0"s);

    memory_registry::SetMachineWritable(false);
    memory_registry::ClearLog();
    EXPECT_EQ(store.WriteStringTo(LocalMachineRoot(), "A\\B\\C", "v", TextString("2")), 0);
    EXPECT_EQ(store.WriteStringTo(LocalMachineRoot(), "A\\D", "v", TextString("2")), 0);
    EXPECT_TRUE(memory_registry::Log().empty());
    EXPECT_EQ(memory_registry::ValueBytes(LocalMachineRoot(), "A\\B\\C", "v"), "1\0"s);
}

// A key that opens for writing is no promise that the value can be set; the caller acts
// on the result (the log-on entry removes the user's copy only after a real write).
TEST_F(SettingsStoreTest, WriteReportsAValueThatCouldNotBeSet) {
    memory_registry::PutValue(LocalMachineRoot(), "Run", "Skittera", "C:\\old.exe\0"s);
    memory_registry::SetValueChangesRefused(LocalMachineRoot(), true);
    EXPECT_EQ(store.WriteStringTo(LocalMachineRoot(), "Run", "Skittera", TextString("C:\\new.exe")), 0);
    EXPECT_EQ(memory_registry::ValueBytes(LocalMachineRoot(), "Run", "Skittera"), "C:\\old.exe\0"s);
    EXPECT_EQ(store.DeleteValueFrom(LocalMachineRoot(), "Run", "Skittera"), 0);
    EXPECT_TRUE(memory_registry::HasValue(LocalMachineRoot(), "Run", "Skittera"));

    EXPECT_EQ(store.WriteString(nullptr, "SkitCome", TextString("Metri")), 1); // the user's part still works
    memory_registry::SetValueChangesRefused(CurrentUserRoot(), true);
    EXPECT_EQ(store.WriteString(nullptr, "SkitCome", TextString("Chilometri")), 0);
    EXPECT_EQ(memory_registry::ValueBytes(CurrentUserRoot(), kKey, "SkitCome"), "Metri\0"s);
}

TEST_F(SettingsStoreTest, DeleteReportsWhetherTheKeyCouldBeOpened) {
    EXPECT_EQ(store.DeleteValueFrom(CurrentUserRoot(), "Nulla", "v"), 0);
    EXPECT_FALSE(memory_registry::HasKey(CurrentUserRoot(), "Nulla"));

    memory_registry::PutValue(LocalMachineRoot(), "Run", "Altro", "y\0"s);
    EXPECT_EQ(store.DeleteValueFrom(LocalMachineRoot(), "Run", "Skittera"), 1); // absent: no failure

    memory_registry::PutValue(LocalMachineRoot(), "Run", "Skittera", "C:\\s.exe\0"s);
    memory_registry::SetMachineWritable(false);
    EXPECT_EQ(store.DeleteValueFrom(LocalMachineRoot(), "Run", "Skittera"), 0);
    EXPECT_TRUE(memory_registry::HasValue(LocalMachineRoot(), "Run", "Skittera"));

    memory_registry::SetMachineWritable(true);
    EXPECT_EQ(store.DeleteValueFrom(LocalMachineRoot(), "Run", "Skittera"), 1);
    EXPECT_FALSE(memory_registry::HasValue(LocalMachineRoot(), "Run", "Skittera"));
    EXPECT_TRUE(memory_registry::HasValue(LocalMachineRoot(), "Run", "Altro"));
}

} // namespace
