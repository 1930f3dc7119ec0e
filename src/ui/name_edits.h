// The names the user types in the window (the album fields above the track list, the titles
// and artists in it): the steps Ctrl+Z takes back, and what was typed for this disc, which
// neither a refresh of the same disc nor a look-up of it takes away.
#pragma once

#include <QObject>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "disc/disc_state.h"

namespace disctrove::ui {

class NameEdits : public QObject {
    Q_OBJECT

  public:
    // What one Undo step puts back.
    enum class Field { artist, album, year, genre, discNumber, discTotal, title, trackArtist };

    // `mayEdit` says whether the names may be written now (not while a rip reads them).
    NameEdits(DiscState& disc, std::function<bool()> mayEdit, QObject* parent = nullptr);

    bool MayEdit() const { return mayEdit_(); }

    // Keeps an album field as it is before a change, as one step for Undo. Changes of the same
    // field in a row (the keys typed into it) make one step, until CloseGroup.
    void BeforeEdit(Field field);
    // The album field `field` was typed into: what it holds now stays the disc's.
    void AlbumTyped(Field field);
    // The options changed the album's names from `before`: those typed there count as typed.
    void AlbumEditedElsewhere(const DiscNames& before);
    // The next change starts a step of its own (the field was left).
    void CloseGroup() { open_ = false; }
    // Writes a track's title or its own artist as typed in the list, as one step. An empty title
    // gives the track its default one; an artist equal to the album's is none of its own.
    bool SetTrackTitle(size_t track, const std::string& title);
    bool SetTrackArtist(size_t track, const std::string& artist);

    // Puts back the name changed by the last step; false when there is none.
    bool Undo();
    bool CanUndo() const { return !steps_.empty(); }

    // After a refresh: the same disc gets back the names typed for it; another disc starts
    // without them, and without the steps of the one before.
    void DiscRead();
    // After a look-up's names were applied: what was typed wins over them. The steps before it
    // would put back names the look-up replaced: they go.
    void LookupApplied();

    static constexpr size_t kSteps = 30;

  signals:
    // Undo or a refresh changed the names; whoever shows them reads them again.
    void changed();

  private:
    struct Step {
        Field field = Field::artist;
        size_t track = 0;
        std::string text;
        std::string more;  // the release's album artist, or the track artist's MusicBrainz ID
        int32_t number = 0;
        bool wasTyped = false;  // the field held a typed value before the step
    };
    Step AlbumValue(Field field) const;
    void Push(Step step);
    // Writes `step`'s value into its field (or track).
    void Put(const Step& step);
    // Writes what was typed over the disc's names.
    void PutTyped();

    DiscState& disc_;
    std::function<bool()> mayEdit_;
    std::deque<Step> steps_;
    bool open_ = false;   // the last step's field is still being typed into
    std::string discId_;  // the disc the steps and the typed names belong to
    // The track names typed by hand, by track index.
    struct Typed {
        std::optional<std::string> title;
        std::optional<std::string> artist;
    };
    std::map<size_t, Typed> typed_;
    std::map<Field, Step> typedAlbum_;  // the album fields typed into, with their values
};

}  // namespace disctrove::ui
