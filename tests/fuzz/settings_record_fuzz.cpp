// A stored settings value of any type, length and content: only a value of
// the record's type and exact size is taken, and whatever bytes it holds,
// everything that reads a record (its strings whatever their length bytes,
// the comparison, the destination set) stays inside it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "base/configuration.h"
#include "fuzz_input.h"

namespace {

template <int N>
void CheckString(const ShortString<N>& s) {
    FUZZ_CHECK(s.size() >= 0 && s.size() <= N);
    const std::string copy = s.str();
    FUZZ_CHECK(copy.size() == size_t(s.size()));
    FUZZ_CHECK(s == s);
}

void CheckStrings(const TConfiguration& c) {
    CheckString(c.AnnotationText), CheckString(c.AnnotationFontName), CheckString(c.WatermarkFile);
    CheckString(c.FileName), CheckString(c.FileFolder), CheckString(c.EditorFileName), CheckString(c.MailFileName);
    CheckString(c.WebFileName), CheckString(c.IMFileName), CheckString(c.IcqFileName);
    CheckString(c.CustomEditorPath), CheckString(c.CustomEditorCommandLine), CheckString(c.MailTo);
    CheckString(c.MailSubject), CheckString(c.SmtpFrom), CheckString(c.SmtpServer), CheckString(c.SmtpUserName);
    CheckString(c.SmtpPassword), CheckString(c.SmtpBody), CheckString(c.FtpServer), CheckString(c.FtpPath);
    CheckString(c.FtpUserName), CheckString(c.FtpPassword), CheckString(c.ProxyServer), CheckString(c.IMContact);
    CheckString(c.IcqContact.nick);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte is the value's registry type (0 .. 11), the rest its
    // bytes. A record-sized input is also tried as a record of that type, so
    // that the fuzzer reaches the record's content without hitting the size.
    fuzz::Input in(data, size);
    const uint32_t type = in.Byte() % 12;
    const std::string_view value = in.Rest();

    TConfiguration record;
    std::memset(&record, 0xA5, sizeof record);
    const bool taken = RecordFromStoredValue(type, value.data(), value.size(), record);
    FUZZ_CHECK(taken == (type == StoredRecordType && value.size() == ConfigurationSize));
    if (!taken) {
        // Refused: the record is untouched.
        for (size_t i = 0; i < sizeof record; ++i) FUZZ_CHECK(reinterpret_cast<const uint8_t*>(&record)[i] == 0xA5);
        // The same bytes, padded or cut to the record's size.
        std::string padded(value.substr(0, ConfigurationSize));
        padded.resize(ConfigurationSize, '\0');
        FUZZ_CHECK(RecordFromStoredValue(StoredRecordType, padded.data(), padded.size(), record));
    }
    CheckStrings(record);
    FUZZ_CHECK(SettingsEqual(record, record));
    FUZZ_CHECK(DestinationsOf(record) < (1u << DestinationCount));
    FUZZ_CHECK((record.CursorData() & 0xFF) == record.CaptureCursor);

    // Defaults over a damaged record give the same record as over a clean one.
    TConfiguration fixed = record, clean{};
    SetDefaults(fixed, DefaultInputs{});
    SetDefaults(clean, DefaultInputs{});
    FUZZ_CHECK(SettingsEqual(fixed, clean));
    FUZZ_CHECK(SettingsEqual(record, fixed) == SettingsEqual(fixed, record));
    return 0;
}
