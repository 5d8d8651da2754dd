#include "cli/manifest.h"

#include <ctime>
#include <filesystem>

#include "cli/json.h"
#include "cli/json_name.h"
#include "cli/path_text.h"
#include "fileio/full_path.h"
#include "fileio/native_path.h"

namespace {

constexpr char kManifestName[] = "manifest.jsonl";

// The part of a full path below its root, naming the root as a folder.
std::string RelativeToRoot(const std::string& fullPath) {
    std::string relative = fullPath;
    if (relative.size() >= 2 && relative[1] == ':') {
        relative.erase(1, 1);
    } else if (relative.size() >= 2 && IsPathSeparator(relative[0]) &&
               IsPathSeparator(relative[1])) {
        relative = "UNC" + relative.substr(1);
    }
    while (!relative.empty() && IsPathSeparator(relative[0])) {
        relative.erase(0, 1);
    }
    return relative;
}

// DIR's parent, where the walk to the manifest and the copies starts.
std::string ParentOf(const std::string& backupDir) {
    return NarrowPath(NativePath(backupDir).parent_path());
}

std::string BelowParent(const std::string& backupDir, const std::string& relative) {
    return NarrowPath(NativePath(backupDir).filename() / NativePath(relative));
}

std::string Field(const JsonObject& object, const std::string& name) {
    const auto found = object.find(name);
    return found != object.end() && found->second.m_kind == JsonValue::kString
               ? found->second.m_text
               : std::string();
}

}  // namespace

std::string ManifestPathIn(const std::string& backupDir) {
    return NarrowPath(NativePath(backupDir) / kManifestName);
}

std::string MirrorPath(const std::string& backupDir, const std::string& fullPath) {
    return NarrowPath(NativePath(backupDir) / NativePath(RelativeToRoot(fullPath)));
}

PlacedFile ManifestPlaceIn(const std::string& backupDir) {
    return PlacedFile(ParentOf(backupDir), BelowParent(backupDir, kManifestName));
}

PlacedFile CopyPlaceIn(const std::string& backupDir, const std::string& fullPath) {
    return PlacedFile(ParentOf(backupDir), BelowParent(backupDir, RelativeToRoot(fullPath)));
}

std::string ManifestLine(const ManifestEntry& entry) {
    const std::string after = entry.m_shaAfter.empty() ? "null" : JsonString(entry.m_shaAfter);
    return "{" + JsonNameMember("original", entry.m_original) + "," +
           JsonNameMember("backup", entry.m_backup) +
           ",\"sha256_before\":" + JsonString(entry.m_shaBefore) + ",\"sha256_after\":" + after +
           ",\"action\":" + JsonString(entry.m_action) + ",\"time\":" + JsonString(entry.m_time) +
           "}";
}

std::optional<ManifestEntry> ParseManifestLine(const std::string& line) {
    const std::optional<JsonObject> object = ParseJsonObject(line);
    if (!object) {
        return std::nullopt;
    }
    const std::optional<std::string> original = NameMember(*object, "original");
    const std::optional<std::string> backup = NameMember(*object, "backup");
    if (!original || !backup) {
        return std::nullopt;
    }
    ManifestEntry entry{*original,
                        *backup,
                        Field(*object, "sha256_before"),
                        Field(*object, "sha256_after"),
                        Field(*object, "action"),
                        Field(*object, "time")};
    const bool known =
        entry.m_action == "delete" || (entry.m_action == "rewrite" && !entry.m_shaAfter.empty());
    if (!known || entry.m_shaBefore.empty()) {
        return std::nullopt;
    }
    return entry;
}

std::string UtcTimeNow() {
    const std::time_t now = std::time(nullptr);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
    return text;
}
