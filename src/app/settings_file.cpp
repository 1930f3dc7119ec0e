#include "app/settings_file.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <map>
#include <optional>
#include <span>
#include <string_view>

#include "app/genres.h"
#include "platform/profile/profile_document.h"
#include "platform/system/text.h"

namespace disctrove {

namespace {

using platform::EqualsIgnoringCase;
using platform::ProfileDocument;

// Decimals are read into a 64-byte buffer.
constexpr size_t kMaxDecimalChars = 63;

// The C library's conversion of the leading digits: text that does not start with a number
// gives 0; a number beyond the 32-bit range is held at its limit.
int32_t LeadingDecimal(const std::string& text) {
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<int32_t>(std::clamp<long long>(value, INT32_MIN, INT32_MAX));
}

// Position of `value` in `table`, or `fallback` when it is not there.
int32_t IndexOf(std::span<const int32_t> table, int32_t value, int32_t fallback) {
    const auto found = std::find(table.begin(), table.end(), value);
    return found == table.end() ? fallback : static_cast<int32_t>(found - table.begin());
}

int32_t ChannelIndex(const std::string& name) {
    if (EqualsIgnoringCase(name, "Mono")) {
        return 0;
    }
    if (EqualsIgnoringCase(name, "JStereo") || EqualsIgnoringCase(name, "5.1")) {
        return 2;
    }
    return 1;  // "Stereo" and anything unknown
}

// Every stored key, in the order in which the file is written, handed to a visitor that either
// reads or writes it. Independent keys may be read in any order, so loading can follow the same
// list; the order-dependent keys (Outfolder and the templates) have visitor calls of their own.
template <typename Visitor>
void WindowKeys(WindowPlace& w, Visitor& v) {
    v.Decimal("WINDOW", "Left", w.Left);
    v.Decimal("WINDOW", "Top", w.Top);
    v.Decimal("WINDOW", "Width", w.Width);
    v.Decimal("WINDOW", "Height", w.Height);
    v.Flag("WINDOW", "Maximized", w.Maximized);
    v.Text("WINDOW", "Columns", w.Columns);
}

template <typename Visitor>
void ConvertKeys(ConvertChoices& c, Visitor& v) {
    v.Encoder("CONVERT", "Encoder", c.Encoder);
    v.Text("CONVERT", "Outfolder", c.Outfolder);
    v.Flag("CONVERT", "KeepTree", c.KeepTree);
    v.Flag("CONVERT", "SkipExisting", c.SkipExisting);
    v.Flag("CONVERT", "CheckSignatures", c.CheckSignatures);
}

// The key table itself: one line per key, kept in one piece so that it reads as the file does.
template <typename Visitor>
void VisitKeys(Options& s, DiscNames& names, Visitor& v) {
    v.Encoder("GENERAL", "Encoder", s.Encoder);
    v.Decimal("GENERAL", "Cdrom", s.Cdrom);
    v.Flag("GENERAL", "Createm3u", s.Createm3u);
    v.Flag("GENERAL", "Autocddb", s.Autocddb);
    v.Flag("GENERAL", "Autocheck", s.Autocheck);
    v.Decimal("GENERAL", "Jitter", s.Jitter);
    v.Flag("GENERAL", "Overwrite", s.Overwrite);
    v.Flag("GENERAL", "RipInFolder", s.RipInFolder);
    v.Flag("GENERAL", "Makesound", s.Makesound);
    v.OutputFolder(s);
    v.TemporaryFolder(s);
    v.Decimal("GENERAL", "Menustyle", s.Menustyle);
    v.Encoder("GENERAL", "WAVEncoder", s.WAVEncoder);
    v.Templates(s);
    v.Decimal("GENERAL", "EncoderThreads", s.EncoderThreads);
    v.Flag("GENERAL", "ImageFile", s.ImageFile);
    v.Flag("GENERAL", "EjectWhenDone", s.EjectWhenDone);

    WavFormat& wav = s.formats.wav;
    v.Channels("WAV", "Channels", wav.channels, kWavWmaChannelNames);
    v.Choice("WAV", "Samplerate", wav.samplerateIndex, kSampleRates, 0);
    v.Choice("WAV", "Samplebits", wav.samplebitsIndex, kSampleBits, 1);

    OggFormat& ogg = s.formats.ogg;
    v.Channels("OGG", "Channels", ogg.channels, kOggChannelNames);
    v.Choice("OGG", "Samplerate", ogg.samplerateIndex, kSampleRates, 0);
    v.Flag("OGG", "Usecbr", ogg.useCbr);
    v.Flag("OGG", "Usebbr", ogg.useBbr);
    v.Flag("OGG", "Usevbr", ogg.useVbr);
    v.Choice("OGG", "Cbr", ogg.cbrIndex, kOggBitrates, 0);
    v.Choice("OGG", "Nomimalbbr", ogg.nominalBbrIndex, kOggBitrates, 0);
    v.Choice("OGG", "Minbbr", ogg.minBbrIndex, kOggBitrates, 0);
    v.Choice("OGG", "Maxbbr", ogg.maxBbrIndex, kOggBitrates, 0);
    v.Decimal("OGG", "Vbr", ogg.vbr);

    Mp3Format& mp3 = s.formats.mp3;
    v.Channels("MP3", "Channels", mp3.channels, kMp3ChannelNames);
    v.Choice("MP3", "Samplerate", mp3.samplerateIndex, kSampleRates, 0);
    v.Choice("MP3", "Cbr", mp3.cbrIndex, kMp3Bitrates, 8);
    v.Flag("MP3", "Usevbr", mp3.useVbr);
    v.Preset("MP3", "Mpegquality", mp3.presetIndex);
    v.Choice("MP3", "Vbrmax", mp3.vbrMaxIndex, kMp3Bitrates, 8);
    v.Decimal("MP3", "Vbrquality", mp3.vbrQuality);

    WmaFormat& wma = s.formats.wma;
    v.Channels("WMA", "Channels", wma.channels, kWavWmaChannelNames);
    v.Choice("WMA", "Samplerate", wma.samplerateIndex, kSampleRates, 0);
    v.Choice("WMA", "Bitrate", wma.bitrateIndex, kWmaBitrates, 6);

    FlacFormat& flac = s.formats.flac;
    v.Decimal("FLAC", "Level", flac.level);
    v.Flag("FLAC", "Verify", flac.verify);

    OpusFormat& opus = s.formats.opus;
    v.Decimal("OPUS", "Bitrate", opus.bitrate);
    v.Named("OPUS", "Mode", opus.mode, kOpusModeNames);
    v.Decimal("OPUS", "Complexity", opus.complexity);

    v.Flag("ID3", "Useid3", s.Useid3);
    v.Text("ID3", "Artist", names.Artist);
    v.Text("ID3", "Album", names.Album);
    v.Text("ID3", "Year", names.Year);
    v.Decimal("ID3", "Genre", names.Genre);
    v.Flag("ID3", "Id3v2", s.Id3v2);
    v.Flag("ID3", "Id3v23", s.Id3v23);
    v.Flag("ID3", "ReplayGain", s.ReplayGain);
    v.Text("ID3", "DiscId", names.DiscId);
    v.Decimal("ID3", "DiscNumber", names.DiscNumber);
    v.Decimal("ID3", "DiscTotal", names.DiscTotal);

    v.Text("CDDB", "Server", s.Server);
    v.Text("CDDB", "Query", s.Query);
    v.Decimal("CDDB", "Port", s.Port);
    v.Flag("CDDB", "Useproxy", s.Useproxy);
    v.Text("CDDB", "Proxyserver", s.Proxyserver);
    v.Decimal("CDDB", "Proxyport", s.Proxyport);
    v.Text("CDDB", "Username", s.Username);
    v.Password(s);
    v.Flag("CDDB", "Savepasswd", s.Savepasswd);
    v.Text("CDDB", "Email", s.Email);

    MusicBrainzSettings& mb = s.musicBrainz;
    v.Flag("MUSICBRAINZ", "Use", mb.Use);
    v.Text("MUSICBRAINZ", "Server", mb.Server);
    v.Decimal("MUSICBRAINZ", "Port", mb.Port);
    v.Flag("MUSICBRAINZ", "Https", mb.Https);
    v.Flag("MUSICBRAINZ", "CoverArt", mb.CoverArt);
    v.Text("MUSICBRAINZ", "CoverServer", mb.CoverServer);

    v.Decimal("SECURE", "ReadOffset", s.ReadOffset);
    v.Decimal("SECURE", "Retries", s.Retries);
    v.Flag("SECURE", "TestAndCopy", s.TestAndCopy);
    v.Flag("SECURE", "AccurateRip", s.AccurateRip);
    v.Text("SECURE", "ArServer", s.ArServer);
    v.Decimal("SECURE", "ArPort", s.ArPort);
    v.Flag("SECURE", "Ctdb", s.Ctdb);
    v.Text("SECURE", "CtdbServer", s.CtdbServer);
    v.Flag("SECURE", "WriteLog", s.WriteLog);
    v.Flag("SECURE", "WriteCue", s.WriteCue);

    v.Window(s.window);
    v.Convert(s.convert);
    v.DriveOffsets(s.driveOffsets);
}

constexpr const char* kOffsetsSection = "OFFSETS";
constexpr std::array<std::string_view, 3> kOffsetSourceNames = {"options", "database", "detected"};

std::string DriveReadOffsetText(const DriveReadOffset& offset) {
    return std::to_string(offset.samples) + " " +
           std::string(TableEntry(kOffsetSourceNames, static_cast<int64_t>(offset.source), 0));
}

// "667 detected": the samples and where they came from; nothing when the text is not that.
std::optional<DriveReadOffset> ParseDriveReadOffset(const std::string& text) {
    const auto blank = text.find(' ');
    if (blank == std::string::npos) {
        return std::nullopt;
    }
    const std::string number = text.substr(0, blank);
    char* end = nullptr;
    const long samples = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || samples < -3000 || samples > 3000) {
        return std::nullopt;
    }
    const std::string_view name = std::string_view(text).substr(blank + 1);
    for (size_t i = 0; i < kOffsetSourceNames.size(); ++i) {
        if (EqualsIgnoringCase(name, kOffsetSourceNames[i])) {
            return DriveReadOffset{static_cast<int32_t>(samples), static_cast<OffsetSource>(i)};
        }
    }
    return std::nullopt;
}

// Numbers a hand-edited or damaged file may hold beyond what the program can use: a number past
// either end of its range is held at that end, and a choice that is none of its values (a read
// mode, a genre, a port) takes its default. What runs, what the dialogs show and what the log
// says are then one value.
void KeepInRange(Options& s, DiscNames& names) {
    const Options defaults;
    const auto hold = [](int32_t& field, int32_t low, int32_t high) {
        field = std::clamp(field, low, high);
    };
    const auto choose = [](int32_t& field, int32_t low, int32_t high, int32_t fallback) {
        field = field < low || field > high ? fallback : field;
    };
    choose(s.Jitter, 0, kJitterSecure, defaults.Jitter);
    hold(s.EncoderThreads, 0, 64);
    hold(s.formats.ogg.vbr, 0, 20);  // quality 0.00 to 1.00 in steps of 0.05
    hold(s.formats.mp3.vbrQuality, 0, 9);
    hold(s.formats.flac.level, 0, 8);
    hold(s.formats.opus.bitrate, 6, 510);
    hold(s.formats.opus.complexity, 0, 10);
    choose(names.Genre, 0, static_cast<int32_t>(GenreNames.size()), 0);
    hold(names.DiscNumber, 0, 99);
    hold(names.DiscTotal, 0, 99);
    choose(s.Port, 1, 65535, defaults.Port);
    choose(s.Proxyport, 1, 65535, defaults.Proxyport);
    choose(s.musicBrainz.Port, 1, 65535, defaults.musicBrainz.Port);
    choose(s.ArPort, 1, 65535, defaults.ArPort);
    hold(s.ReadOffset, -3000, 3000);
    hold(s.Retries, 1, 100);
}

constexpr const char* kTemplateKeys[] = {"Template01", "Template02", "Template03", "Template04"};

// Every key is read with the field's current value as the default, so a missing key keeps it.
class Loader {
  public:
    explicit Loader(const ProfileDocument& document) : doc_(document) {}

    void Text(const char* section, const char* key, std::string& field) {
        field = doc_.ReadString(section, key, field);
    }
    void Decimal(const char* section, const char* key, int32_t& field) {
        field = ReadDecimal(section, key, field);
    }
    void Decimal(const char* section, const char* key, SharedInt& field) {
        field = ReadDecimal(section, key, field);
    }
    void Flag(const char* section, const char* key, int32_t& field) {
        const auto text = doc_.ReadString(section, key, field ? "True" : "False");
        field = EqualsIgnoringCase(text, "True") ? 1 : 0;
    }
    void Window(WindowPlace& place) { WindowKeys(place, *this); }
    void Convert(ConvertChoices& choices) { ConvertKeys(choices, *this); }
    void Encoder(const char* section, const char* key, EncoderKind& field) {
        const auto text = doc_.ReadString(section, key, TableEntry(kEncoderNames, field, 0));
        field = kEncoderWav;
        for (const auto kind :
             {kEncoderOgg, kEncoderMp3, kEncoderWma, kEncoderFlac, kEncoderOpus}) {
            if (EqualsIgnoringCase(text, kEncoderNames[kind])) {
                field = kind;
            }
        }
    }
    template <size_t N>
    void Channels(const char* section, const char* key, int32_t& field,
                  const std::array<std::string_view, N>& names) {
        const int32_t index =
            ChannelIndex(doc_.ReadString(section, key, TableEntry(names, field, 1)));
        // A group without a third channel mode ("JStereo" or "5.1" in WAV or WMA) takes the
        // name as the stereo it stands for, not as a value the group cannot hold.
        field = index < static_cast<int32_t>(N) ? index : 1;
    }
    template <size_t N>
    void Choice(const char* section, const char* key, int32_t& field,
                const std::array<int32_t, N>& values, int32_t fallback) {
        const int32_t current = TableEntry(values, field, static_cast<size_t>(fallback));
        field = IndexOf(values, ReadDecimal(section, key, current), fallback);
    }
    void Preset(const char* section, const char* key, int32_t& field) {
        Named(section, key, field, kMp3PresetNames);
    }
    // A value stored by its name; a name not in `names` is the first.
    template <size_t N>
    void Named(const char* section, const char* key, int32_t& field,
               const std::array<std::string_view, N>& names) {
        const auto text = doc_.ReadString(section, key, TableEntry(names, field, 0));
        field = 0;
        for (size_t i = 0; i < names.size(); ++i) {
            if (EqualsIgnoringCase(text, names[i])) {
                field = static_cast<int32_t>(i);
                break;
            }
        }
    }
    void OutputFolder(Options& s) {
        const auto text = doc_.ReadString("GENERAL", "Outfolder", s.Outfolder);
        s.Outfolder = text.empty() ? "." : text;
        s.folderHistory.push_back(text);
    }
    void TemporaryFolder(Options& s) {
        const auto text = doc_.ReadString("GENERAL", "Tmpfolder", s.Tmpfolder);
        s.Tmpfolder = text.empty() ? "." : text;
    }
    void Templates(Options& s) {
        auto& history = s.templateHistory;
        for (size_t k = 0; k < std::size(kTemplateKeys); ++k) {
            const std::string fallback = k < history.size() ? history[k] : std::string();
            const auto text = doc_.ReadString("GENERAL", kTemplateKeys[k], fallback);
            if (std::find(history.begin(), history.end(), text) == history.end()) {
                history.insert(history.begin(), text);
            }
        }
    }
    void Password(Options& s) { Text("CDDB", "Password", s.Password); }
    // Every drive of the section; a line that is not an offset is left out (and left in the file).
    void DriveOffsets(std::map<std::string, DriveReadOffset>& offsets) {
        for (const std::string& key : doc_.Keys(kOffsetsSection)) {
            if (const auto offset =
                    ParseDriveReadOffset(doc_.ReadString(kOffsetsSection, key, ""))) {
                offsets[key] = *offset;
            }
        }
    }

  private:
    int32_t ReadDecimal(const char* section, const char* key, int32_t current) {
        return LeadingDecimal(
            doc_.ReadString(section, key, std::to_string(current), kMaxDecimalChars));
    }

    const ProfileDocument& doc_;
};

class Saver {
  public:
    explicit Saver(ProfileDocument& document) : doc_(document) {}

    void Text(const char* section, const char* key, const std::string& field) {
        doc_.WriteString(section, key, field);
    }
    void Decimal(const char* section, const char* key, int32_t field) {
        doc_.WriteString(section, key, std::to_string(field));
    }
    void Flag(const char* section, const char* key, int32_t field) {
        doc_.WriteString(section, key, kFlagNames[field != 0 ? 1 : 0]);
    }
    void Window(WindowPlace& place) {
        // Written once the window has closed: the terminal program adds no such section.
        if (place.Width > 0) {
            WindowKeys(place, *this);
        }
    }
    void Convert(ConvertChoices& choices) {
        // Written once the dialog has been used: older files and the terminal program's runs
        // gain no section.
        if (!choices.Outfolder.empty()) {
            ConvertKeys(choices, *this);
        }
    }
    void Encoder(const char* section, const char* key, EncoderKind field) {
        doc_.WriteString(section, key, TableEntry(kEncoderNames, field, 0));
    }
    template <size_t N>
    void Channels(const char* section, const char* key, int32_t field,
                  const std::array<std::string_view, N>& names) {
        doc_.WriteString(section, key, TableEntry(names, field, 1));
    }
    template <size_t N>
    void Choice(const char* section, const char* key, int32_t field,
                const std::array<int32_t, N>& values, int32_t fallback) {
        Decimal(section, key, TableEntry(values, field, static_cast<size_t>(fallback)));
    }
    void Preset(const char* section, const char* key, int32_t field) {
        Named(section, key, field, kMp3PresetNames);
    }
    template <size_t N>
    void Named(const char* section, const char* key, int32_t field,
               const std::array<std::string_view, N>& names) {
        doc_.WriteString(section, key, TableEntry(names, field, 0));
    }
    void OutputFolder(const Options& s) { Text("GENERAL", "Outfolder", s.Outfolder); }
    void TemporaryFolder(const Options& s) { Text("GENERAL", "Tmpfolder", s.Tmpfolder); }
    void Templates(const Options& s) {
        const Options defaults;
        for (size_t k = 0; k < std::size(kTemplateKeys); ++k) {
            // A history shorter than four entries stores the default template of that place.
            const auto& history =
                k < s.templateHistory.size() ? s.templateHistory : defaults.templateHistory;
            Text("GENERAL", kTemplateKeys[k], history[k]);
        }
    }
    void Password(const Options& s) {
        // The password reaches the disk only when the user asked for it to be saved.
        Text("CDDB", "Password", s.Savepasswd ? s.Password : std::string());
    }
    void DriveOffsets(const std::map<std::string, DriveReadOffset>& offsets) {
        for (const auto& [drive, offset] : offsets) {
            Text(kOffsetsSection, drive.c_str(), DriveReadOffsetText(offset));
        }
    }

  private:
    ProfileDocument& doc_;
};

}  // namespace

bool LoadSettings(Options& options, DiscNames& names, const std::string& path) {
    const ProfileDocument document = ProfileDocument::Load(path);
    LoadSettings(options, names, document);
    return document.source() != ProfileDocument::Source::unreadable;
}

void LoadSettings(Options& options, DiscNames& names, const ProfileDocument& document) {
    Loader loader(document);
    VisitKeys(options, names, loader);
    KeepInRange(options, names);
}

bool IsSettingsKey(const std::string& section, const std::string& key) {
    // Writing every key into an empty document names them all.
    ProfileDocument document;
    Options options;
    DiscNames names;
    Saver saver(document);
    VisitKeys(options, names, saver);
    return document.Find(section, key).has_value();
}

bool SaveSettings(Options& options, const DiscNames& names, const std::string& path,
                  bool keepStoredDrive) {
    if (!options.folderHistory.empty()) {
        options.Outfolder = options.folderHistory.front();
    }
    auto document = ProfileDocument::Load(path);
    if (document.source() == ProfileDocument::Source::unreadable) {
        return false;  // writing would put defaults in place of lines we never saw
    }
    const std::string before = document.Text();
    Options stored = options;
    if (keepStoredDrive) {
        stored.Cdrom = LeadingDecimal(document.ReadString("GENERAL", "Cdrom", "0"));
    }
    DiscNames storedNames = names;
    Saver saver(document);
    VisitKeys(stored, storedNames, saver);
    if (document.source() == ProfileDocument::Source::read && document.Text() == before) {
        return true;
    }
    return document.Save(path);
}

bool SaveDriveOffset(const std::string& path, const std::string& driveKey,
                     const DriveReadOffset& offset) {
    auto document = ProfileDocument::Load(path);
    if (document.source() == ProfileDocument::Source::unreadable) {
        return false;
    }
    document.WriteString(kOffsetsSection, driveKey, DriveReadOffsetText(offset));
    return document.Save(path);
}

}  // namespace disctrove
