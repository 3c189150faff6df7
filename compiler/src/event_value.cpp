#include "event_value.h"

#include "image_writer.h"

namespace kvt {

namespace {

// «^» v or a plain value; `required` makes absence an error.
EventValue readValue(Cursor& cur, bool signedValues, bool required)
{
    EventValue v{false, false, 0};
    if (cur.accept('^')) {
        v.relative = true;
        v.given = true;
        v.value = cur.requireSigned();
    } else if (signedValues ? cur.trySigned(v.value) : cur.tryUnsigned(v.value)) {
        v.given = true;
    } else if (required) {
        cur.peekRequired();
        compileError(kErrMissingParameter);
    }
    return v;
}

} // namespace

EventForm readEventForm(TrackState& st, bool signedValues)
{
    Cursor& cur = st.cur;
    EventForm form{};
    form.clear = cur.accept('!');
    form.first = readValue(cur, signedValues, false);
    if (cur.accept(',')) {
        if (!form.first.given) compileError(kErrIllegalParameter);
        form.slide = true;
        form.length = readLength(st, 1);
        if (cur.accept(',')) form.second = readValue(cur, signedValues, true);
    }
    form.tie = cur.accept('&');
    return form;
}

void writeSlide(Parser& p, zem::SlideKind kind, const EventForm& form, uint16_t firstWord, bool hasSecondWord,
                uint16_t secondWord)
{
    TrackState& st = p.st;
    uint16_t flags = 0;
    if (form.first.relative) flags |= zem::kSlideRelA;
    if (!st.hasOption(kOptNoWait)) flags |= zem::kSlideWaitAfter;
    if (form.length != st.lastLength) flags |= zem::kSlideHasLength;
    if (form.second.given) flags |= zem::kSlideTwoValues;
    if (form.second.relative) flags |= zem::kSlideRelB;
    st.lastLength = form.length;
    ImageWriter& out = *p.out;
    out.word(zem::makeSlide(kind, flags));
    out.word(firstWord);
    if (hasSecondWord) out.word(secondWord);
    if (flags & zem::kSlideHasLength) out.length(form.length);
}

int32_t finishEvent(TrackState& st, const EventForm& form)
{
    if (!form.tie && st.applies()) st.slur = false;
    return st.measuring() && form.slide ? form.length : 0;
}

} // namespace kvt
