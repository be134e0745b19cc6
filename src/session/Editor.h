#pragma once

#include "base/TextSource.h"
#include "image/ConfigImage.h"

namespace krm {

// What every subsystem's editor is to the session. The session owns the editors, keeps them in one
// list and tells each of them the same neutral events; an editor's state is loaded from the section
// copies and its captions from the active language, always through these two calls. Actions are the
// editor's own methods, each returning an EditOutcome (EditRequest.h) for Session::apply.
class Editor {
public:
    virtual ~Editor() = default;

    // The image was replaced (read from the mouse, loaded from a file, restored, regenerated) and
    // validated: take every field from the copies. Runs under the refresh guard.
    virtual void loadFromCopies(const SectionCopies& copies) = 0;
    // The language changed (and once at start): rebuild every caption.
    virtual void setTexts(const TextSource& texts) = 0;
    // The mouse went away: forget what belongs to it (lists of its macros, pending restarts).
    virtual void deviceLost() {}
};

} // namespace krm
