// Arbitrary bytes as a file name through the JSON files, and arbitrary bytes
// as a manifest line: a name written and read back is the same name, its
// line is UTF-8 and strict JSON, and any line is taken or refused without a
// crash, a hang or a leak.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "cli/json.h"
#include "cli/json_name.h"
#include "cli/manifest.h"
#include "cli/utf8.h"
#include "fuzz_support.h"

namespace {

void CheckNameRoundTrip(const std::string& name) {
    const std::string line = "{" + JsonNameMember("path", name) + "}";
    Require(IsUtf8(line), "every line written is UTF-8");
    const std::optional<JsonObject> object = ParseJsonObject(line);
    Require(object.has_value(), "every line written is strict JSON");
    const std::optional<std::string> back = NameMember(*object, "path");
    const bool nameable = !name.empty() && name.find('\0') == std::string::npos;
    Require(back.has_value() == nameable, "a name is read back unless it names nothing");
    Require(!back || *back == name, "a name comes back byte for byte");
}

void CheckManifestLine(const std::string& line) {
    const std::optional<ManifestEntry> entry = ParseManifestLine(line);
    if (entry) {
        const std::optional<ManifestEntry> again = ParseManifestLine(ManifestLine(*entry));
        Require(
            again && again->m_original == entry->m_original && again->m_backup == entry->m_backup,
            "an entry taken is written back to a line that gives it again");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckNameRoundTrip(bytes);
    CheckManifestLine(bytes);
    return 0;
}
