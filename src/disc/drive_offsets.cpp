#include "disc/drive_offsets.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "disc/lookup_client.h"
#include "platform/system/files.h"

namespace disctrove {

namespace {

constexpr size_t kNameBytes = 0x21;

// `text` in upper case with its blanks trimmed and each run of them made one space.
std::string Normalized(std::string_view text) {
    std::string out;
    bool blank = false;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) != 0) {
            blank = !out.empty();
            continue;
        }
        if (blank) {
            out += ' ';
            blank = false;
        }
        out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool Fresh(const std::string& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error) {
        return false;
    }
    const auto age = std::filesystem::file_time_type::clock::now() - written;
    // A copy from the future (a clock set back) is taken as old: it is fetched again.
    return age >= std::chrono::seconds(0) && age < kDriveOffsetsMaxAge;
}

}  // namespace

std::optional<std::vector<DriveOffset>> ParseDriveOffsets(std::span<const uint8_t> bytes) {
    if (bytes.empty() || bytes.size() % kDriveOffsetRecordBytes != 0) {
        return std::nullopt;
    }
    std::vector<DriveOffset> list;
    for (size_t at = 0; at < bytes.size(); at += kDriveOffsetRecordBytes) {
        const auto offset = static_cast<int16_t>(bytes[at] | (bytes[at + 1] << 8));
        const auto* name = reinterpret_cast<const char*>(bytes.data() + at + 2);
        const std::string drive(name, std::find(name, name + kNameBytes, '\0'));
        if (Normalized(drive).empty()) {
            return std::nullopt;
        }
        list.push_back({drive, offset});
    }
    return list;
}

std::optional<int32_t> FindDriveOffset(const std::vector<DriveOffset>& list,
                                       std::string_view vendor, std::string_view model) {
    const std::string wanted = Normalized(std::string(vendor) + " - " + std::string(model));
    for (const DriveOffset& entry : list) {
        if (Normalized(entry.drive) == wanted) {
            return entry.offset;
        }
    }
    return std::nullopt;
}

std::string DriveKey(const platform::DriveIdentity& identity) {
    if (!identity.known()) {
        return {};
    }
    std::string key = identity.vendor + " / " + identity.model + " / " + identity.revision;
    std::replace_if(
        key.begin(), key.end(), [](char c) { return c == '=' || c == '[' || c == ']' || c == ';'; },
        '_');
    return key;
}

DriveReadOffset ReadOffsetFor(const Options& options, const platform::DriveIdentity& identity) {
    const auto saved = options.driveOffsets.find(DriveKey(identity));
    if (identity.known() && saved != options.driveOffsets.end()) {
        return saved->second;
    }
    return {options.ReadOffset, OffsetSource::options};
}

net::WebRequest DriveOffsetsRequest(const Options& options) {
    net::WebRequest request{{}, LookupClient(options)};
    request.host = options.ArServer;
    request.port = options.ArPort;
    request.path = "/accuraterip/DriveOffsets.bin";
    request.client.maxBytes = 4 * 1024 * 1024;  // a few thousand records of 69 bytes
    return request;
}

std::vector<DriveOffset> LoadDriveOffsets(const net::WebRequest& request,
                                          const std::string& cacheFile, std::stop_token stop) {
    const std::optional<std::vector<uint8_t>> cached = ReadFileBytes(cacheFile);
    std::optional<std::vector<DriveOffset>> list;
    if (cached) {
        list = ParseDriveOffsets(*cached);
        if (list && Fresh(cacheFile)) {
            return std::move(*list);
        }
    }
    const net::WebAnswer answer = request.Send(std::move(stop));
    if (answer.ok() && answer.status == 200) {
        if (auto fresh = ParseDriveOffsets(answer.body)) {
            platform::WriteWholeFile(cacheFile,
                                     std::string(answer.body.begin(), answer.body.end()));
            return std::move(*fresh);
        }
    }
    return list.value_or(std::vector<DriveOffset>{});
}

}  // namespace disctrove
