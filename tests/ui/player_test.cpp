// The CD player and the volume slider, through a fake "cdaudio" device and a fake mixer.
#include <QApplication>
#include <QLabel>
#include <QSlider>
#include <QtTest>
#include <cstdlib>
#include <map>
#include <tuple>

#include "front/program_state.h"
#include "skin/icons.h"
#include "ui/player/cd_player.h"
#include "ui/player/volume_slider.h"

namespace disctrove {

namespace {

using platform::CdAudioUse;
using platform::MsfLength;
using platform::TmsfPosition;

// What the fake device was asked to do.
struct DeviceLog {
    std::map<uint32_t, uint32_t> lengths;  // disc track -> packed length
    bool noSoundDevice = false;
    int opened = 0;
    int closed = 0;
    int doors = 0;
    std::vector<CdAudioUse> uses;
    std::vector<std::pair<uint32_t, uint32_t>> plays;
};

class FakeCdAudio : public platform::CdAudioDevice {
  public:
    explicit FakeCdAudio(DeviceLog& log) : log_(log) { ++log_.opened; }
    ~FakeCdAudio() override { ++log_.closed; }
    uint32_t TrackLength(uint32_t track) override {
        const auto found = log_.lengths.find(track);
        return found == log_.lengths.end() ? 0 : found->second;
    }
    void Play(uint32_t from, uint32_t to) override { log_.plays.emplace_back(from, to); }
    void Stop() override {}
    void OpenDoor() override { ++log_.doors; }

  private:
    DeviceLog& log_;
};

class FakeMixer : public platform::VolumeMixer {
  public:
    FakeMixer(platform::VolumeControlInfo info, std::vector<int32_t> values,
              std::vector<std::vector<int32_t>>& written)
        : info_(info), values_(std::move(values)), written_(written) {}
    platform::VolumeControlInfo Info() const override { return info_; }
    bool Read(std::vector<int32_t>& values) override {
        values = values_;
        return readable;
    }
    bool Write(const std::vector<int32_t>& values) override {
        written_.push_back(values);
        values_ = values;
        return true;
    }
    std::vector<int> PollDescriptors() override { return {}; }
    bool HandleEvents() override { return true; }

    std::vector<int32_t>& values() { return values_; }
    bool readable = true;

  private:
    platform::VolumeControlInfo info_;
    std::vector<int32_t> values_;
    std::vector<std::vector<int32_t>>& written_;
};

}  // namespace

class PlayerTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ProgramState> settings_;
    QLabel status_;
    QString saved_;
    QSlider position_{Qt::Horizontal};
    int selected_ = -1;
    DeviceLog log_;
    std::unique_ptr<ui::CdPlayer> player_;

    // A disc of `lengths` (seconds of each audio track), with a data track first when asked.
    void UseDisc(const std::vector<int>& lengths, bool dataFirst = false) {
        settings_->disc.tracks.clear();
        settings_->disc.drives.assign(1, Drive{});
        platform::Toc& toc = settings_->disc.drives[0].toc;
        int number = 1;
        int32_t sector = 0;
        if (dataFirst) {
            toc.tracks.push_back({number++, sector, true});
            sector += 3000;
        }
        for (size_t i = 0; i < lengths.size(); ++i) {
            Track track;
            track.index = static_cast<int32_t>(i);
            track.title = "Song " + std::to_string(i + 1);
            track.startSector = sector;
            settings_->disc.tracks.push_back(track);
            toc.tracks.push_back({number, sector, false});
            log_.lengths[static_cast<uint32_t>(number)] = MsfLength(
                static_cast<uint32_t>(lengths[i] / 60), static_cast<uint32_t>(lengths[i] % 60), 0);
            sector += lengths[i] * 75;
            ++number;
        }
        toc.leadOut = sector;
        settings_->options.Cdrom = 0;
    }
    // The whole of disc track `track`, as Play asks for it.
    std::pair<uint32_t, uint32_t> Whole(uint32_t track) {
        const uint32_t length = log_.lengths[track];
        return {TmsfPosition(track, 0, 0, 0), TmsfPosition(track, platform::LengthMinutes(length),
                                                           platform::LengthSeconds(length), 0)};
    }

  private slots:
    void init() {
        settings_ = std::make_unique<ProgramState>();
        log_ = DeviceLog{};
        selected_ = -1;
        saved_.clear();
        status_.setText(QStringLiteral("Ready"));
        position_.setRange(0, 100);
        position_.setValue(0);
        player_ = std::make_unique<ui::CdPlayer>(
            settings_->options, settings_->disc, settings_->run,
            ui::PlayerView{&status_, &saved_, &position_, [this] { return selected_; }}, nullptr);
        player_->SetOpener([this](CdAudioUse use) -> std::unique_ptr<platform::CdAudioDevice> {
            log_.uses.push_back(use);
            if (log_.noSoundDevice && use == CdAudioUse::play) {
                return nullptr;
            }
            return std::make_unique<FakeCdAudio>(log_);
        });
        UseDisc({205, 60, 90, 30});
    }
    void cleanup() {
        player_.reset();
        settings_.reset();
    }

    void playPicksTheSelectedOrTheLastTrack() {
        player_->ResetTrack();
        player_->PlayTrack();  // nothing selected after a refresh: track 1
        QVERIFY(player_->playing());
        QCOMPARE(log_.plays.back(), Whole(1));
        QCOMPARE(status_.text(), QStringLiteral("Now playing: Song 1"));
        player_->StopPlayback();
        QVERIFY(!player_->playing());
        QCOMPARE(log_.closed, 1);
        QCOMPARE(status_.text(), QStringLiteral("Ready"));

        selected_ = 2;
        player_->PlayTrack();
        QCOMPARE(log_.plays.back(), Whole(3));
        selected_ = -1;
        player_->PlayTrack();  // playing: stopped first, then the same track again
        QCOMPARE(log_.closed, 2);
        QCOMPARE(log_.plays.back(), Whole(3));
        QCOMPARE(status_.text(), QStringLiteral("Now playing: Song 3"));
        player_->StopPlayback();
        QCOMPARE(status_.text(), QStringLiteral("Ready"));  // the text from before playing
    }

    void nextAndPreviousWrapAround() {
        player_->NextTrack();  // nothing plays: nothing happens
        QVERIFY(log_.plays.empty());
        selected_ = 3;
        player_->PlayTrack();
        player_->NextTrack();
        QCOMPARE(player_->playTrack(), 1);
        QCOMPARE(log_.plays.back(), Whole(1));
        QCOMPARE(status_.text(), QStringLiteral("Now playing: Song 1"));
        player_->PreviousTrack();
        QCOMPARE(player_->playTrack(), 4);
        QCOMPARE(log_.plays.back(), Whole(4));
        QCOMPARE(log_.opened, 1);  // one device for the whole run
    }

    void ticksMoveTheSliderAndEndTheTrack() {
        player_->PlayTrack();  // 3:25
        for (int tick = 0; tick < 102; ++tick) {
            player_->Tick();
        }
        QCOMPARE(position_.value(), 49);
        for (int tick = 102; tick < 204; ++tick) {
            player_->Tick();
        }
        QCOMPARE(position_.value(), 99);
        QVERIFY(player_->playing());
        player_->Tick();  // 205: the end
        QVERIFY(!player_->playing());
        QCOMPARE(position_.value(), 0);
        QCOMPARE(status_.text(), QStringLiteral("Ready"));
    }

    void seekPlaysFromThatPoint() {
        player_->PlayTrack();
        player_->Seek(50);  // 205 × 50 × 0.01 = 102.5 → 1:42
        QCOMPARE(player_->playSeconds(), 102);
        QCOMPARE(log_.plays.back(),
                 std::make_pair(TmsfPosition(1, 1, 42, 0), TmsfPosition(1, 3, 25, 0)));
        player_->Tick();
        QCOMPARE(position_.value(), 50);  // 103 / 205
    }

    void zeroLengthLeavesTheTickWithoutEffect() {
        log_.lengths[1] = 0;
        player_->PlayTrack();
        player_->Tick();
        QVERIFY(player_->playing());
        QCOMPARE(player_->playSeconds(), 0);
        QCOMPARE(position_.value(), 0);
    }

    void stopWithNothingPlayingShowsTheSavedText() {
        saved_ = QStringLiteral("Ready");
        status_.setText(QStringLiteral("Something else"));
        player_->StopPlayback();
        QCOMPARE(status_.text(), QStringLiteral("Ready"));
        QCOMPARE(log_.opened, 0);
    }

    void everyCommandWaitsWhileRipping() {
        player_->PlayTrack();
        settings_->run.ripping = 1;
        const size_t plays = log_.plays.size();
        status_.setText(QStringLiteral("Ripping..."));
        player_->PlayTrack();
        player_->StopPlayback();
        player_->NextTrack();
        player_->PreviousTrack();
        player_->EjectDisc();
        player_->Tick();
        player_->Seek(30);
        QCOMPARE(log_.plays.size(), plays);
        QCOMPARE(log_.doors, 0);
        QCOMPARE(log_.opened, 1);
        QCOMPARE(player_->playSeconds(), 0);
        QCOMPARE(status_.text(), QStringLiteral("Ripping..."));
        settings_->run.ripping = 0;
    }

    void withoutASoundDevicePlayEndsSilently() {
        log_.noSoundDevice = true;
        player_->PlayTrack();
        QVERIFY(!player_->playing());
        QCOMPARE(status_.text(), QStringLiteral("Now playing: Song 1"));
        player_->Tick();
        QCOMPARE(position_.value(), 0);
        player_->EjectDisc();  // the door needs no sound device
        QCOMPARE(log_.doors, 1);
    }

    void ejectStopsAndOpensTheDoor() {
        player_->PlayTrack();
        player_->EjectDisc();
        QVERIFY(!player_->playing());
        QCOMPARE(log_.doors, 1);
        QCOMPARE(log_.uses.back(), CdAudioUse::door);
        QCOMPARE(log_.closed, log_.opened);  // the door's device is closed after the command
    }

    void aDataTrackFirstShiftsTheDiscNumbers() {
        UseDisc({60, 90}, true);
        player_->PlayTrack();
        QCOMPARE(log_.plays.back(), Whole(2));  // list track 1 is disc track 2
        player_->NextTrack();
        QCOMPARE(log_.plays.back(), Whole(3));
    }

    // The player's glyphs take the theme's text colour: on a dark theme they are light, on a
    // light one dark, and a disabled button shows them in its own colour.
    void playerIconsFollowThePalette() {
        const QPalette before = QApplication::palette();
        const std::tuple<QColor, QColor, QIcon::Mode> themes[] = {
            {QColor(35, 35, 38), QColor(235, 235, 235), QIcon::Normal},
            {QColor(240, 240, 240), QColor(20, 20, 20), QIcon::Normal},
            {QColor(35, 35, 38), QColor(235, 235, 235), QIcon::Disabled},
        };
        for (const auto& [window, text, mode] : themes) {
            QPalette palette(text, window);
            palette.setColor(QPalette::Disabled, QPalette::WindowText, text);
            QApplication::setPalette(palette);
            for (const skin::CommandIcon glyph :
                 {skin::CommandIcon::play, skin::CommandIcon::playerStop,
                  skin::CommandIcon::previous, skin::CommandIcon::next, skin::CommandIcon::eject}) {
                const QImage image = skin::IconFor(glyph).pixmap(32, 32, mode).toImage();
                int standingOut = 0;  // opaque pixels far from the window's lightness
                for (int y = 0; y < image.height(); ++y) {
                    for (int x = 0; x < image.width(); ++x) {
                        const QColor pixel = image.pixelColor(x, y);
                        standingOut += pixel.alpha() > 200 &&
                                       std::abs(pixel.lightness() - window.lightness()) > 128;
                    }
                }
                QVERIFY2(standingOut > 60, qPrintable(QString::number(standingOut)));
            }
        }
        QApplication::setPalette(before);
    }

    // The command icons draw their lines in the theme's text colour (here a magenta no icon has
    // of its own), so that a dark theme gives them light lines and a light one dark lines.
    void commandIconsFollowThePalette() {
        const QPalette before = QApplication::palette();
        QPalette magenta(QColor(35, 35, 38));  // a dark theme's window
        magenta.setColor(QPalette::WindowText, QColor(255, 0, 255));
        magenta.setColor(QPalette::Base, QColor(30, 30, 32));
        QApplication::setPalette(magenta);
        for (const skin::CommandIcon command :
             {skin::CommandIcon::cddb, skin::CommandIcon::trackSettings, skin::CommandIcon::options,
              skin::CommandIcon::markAll, skin::CommandIcon::dismiss}) {
            const QImage image = skin::IconFor(command).pixmap(32, 32).toImage();
            int inked = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor pixel = image.pixelColor(x, y);
                    inked += pixel.alpha() > 150 && pixel.red() > 120 && pixel.blue() > 120 &&
                             pixel.green() < 60;
                }
            }
            QVERIFY2(
                inked > 10,
                qPrintable(QStringLiteral("%1: %2").arg(static_cast<int>(command)).arg(inked)));
        }
        QApplication::setPalette(before);
    }

    void volumeKeepsTheBalance() {
        std::vector<std::vector<int32_t>> written;
        auto mixer = std::make_unique<FakeMixer>(platform::VolumeControlInfo{0, 65535, 65535, 2},
                                                 std::vector<int32_t>{40000, 20000}, written);
        FakeMixer* fake = mixer.get();
        ui::VolumeSlider slider(nullptr);
        slider.Attach(std::move(mixer));
        QVERIFY(slider.isEnabled());
        QCOMPARE(slider.maximum(), 65535);
        QCOMPARE(slider.value(), 40000);
        QCOMPARE(slider.control().balance(), -0.5f);
        QVERIFY(written.empty());  // following the mixer writes nothing back

        slider.setSliderPosition(30000);  // the user moves it
        QCOMPARE(written.back(), (std::vector<int32_t>{30000, 15000}));

        fake->values() = {10000, 20000};  // changed elsewhere: the slider follows
        slider.FollowMixer();
        QCOMPARE(slider.value(), 20000);
        QCOMPARE(slider.control().balance(), 0.5f);
        slider.setSliderPosition(40000);
        QCOMPARE(written.back(), (std::vector<int32_t>{20000, 40000}));

        fake->values() = {0, 0};  // silent: the balance is kept
        slider.FollowMixer();
        QCOMPARE(slider.value(), 0);
        QCOMPARE(slider.control().balance(), 0.5f);
    }

    void volumeOfOtherLines() {
        std::vector<std::vector<int32_t>> written;
        {  // a mono line: one value, no balance
            ui::VolumeSlider slider(nullptr);
            slider.Attach(std::make_unique<FakeMixer>(platform::VolumeControlInfo{0, 100, 100, 1},
                                                      std::vector<int32_t>{30}, written));
            QCOMPARE(slider.value(), 30);
            slider.setSliderPosition(70);
            QCOMPARE(written.back(), std::vector<int32_t>{70});
        }
        {  // steps coarser than values: one step is worth `unit` values
            ui::VolumeSlider slider(nullptr);
            slider.Attach(std::make_unique<FakeMixer>(platform::VolumeControlInfo{0, 65535, 100, 2},
                                                      std::vector<int32_t>{40000, 40000}, written));
            QCOMPARE(slider.control().unit(), 655);
            QCOMPARE(slider.value(), 61);
            slider.setSliderPosition(10);
            QCOMPARE(written.back(), (std::vector<int32_t>{6550, 6550}));
        }
        {  // more steps than values, unreadable values, or no mixer at all: disabled
            ui::VolumeSlider coarse(nullptr);
            coarse.Attach(std::make_unique<FakeMixer>(platform::VolumeControlInfo{0, 10, 100, 2},
                                                      std::vector<int32_t>{5, 5}, written));
            QVERIFY(!coarse.isEnabled());
            auto unreadable = std::make_unique<FakeMixer>(
                platform::VolumeControlInfo{0, 100, 100, 2}, std::vector<int32_t>{5, 5}, written);
            unreadable->readable = false;
            ui::VolumeSlider broken(nullptr);
            broken.Attach(std::move(unreadable));
            QVERIFY(!broken.isEnabled());
            ui::VolumeSlider none(nullptr);
            none.Attach(nullptr);
            QVERIFY(!none.isEnabled());
            const size_t before = written.size();
            none.setSliderPosition(5);
            QCOMPARE(written.size(), before);
        }
    }
};

}  // namespace disctrove

QTEST_MAIN(disctrove::PlayerTest)
#include "player_test.moc"
