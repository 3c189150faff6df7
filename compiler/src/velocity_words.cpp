#include "velocity_words.h"

#include "value_syntax.h"
#include "zem/command_words.h"

#include <algorithm>

namespace kvt {

uint16_t velocityAddWord(bool release, int32_t delta)
{
    // A wider change would wrap in the signed byte and flip its direction.
    const int32_t clamped = std::clamp(delta, -127, 127);
    return zem::makeByteClass(release ? zem::kRvelAdd : zem::kVelAdd, static_cast<unsigned>(clamped) & 0xFF);
}

VelocityWords readVelocityItem(Cursor& cur, bool release)
{
    VelocityWords out;
    const bool clear = cur.accept('!');
    if (clear) out.words[out.count++] = release ? zem::kRvelClear : zem::kVelClear;
    int32_t v;
    if (cur.accept('^')) {
        cur.peekRequired();
        if (!cur.trySigned(v)) compileError(kErrIllegalParameter);
        out.words[out.count++] = velocityAddWord(release, v);
    } else if (cur.tryUnsigned(v)) {
        if (v < 1 || v > 127) compileError(kErrIllegalParameter);
        out.words[out.count++] = zem::make7BitClass(release ? zem::kRvelSet : zem::kVelSet, static_cast<unsigned>(v));
    } else if (!clear) {
        out.words[out.count++] = release ? zem::kRvelCommit : zem::kVelCommit;
    }
    return out;
}

int32_t readVelocityStep(Cursor& cur, uint8_t c)
{
    int32_t n = 1;
    cur.tryUnsigned(n);
    const auto amount = static_cast<int32_t>(std::min<uint32_t>(asUnsigned(n), 127));
    return c == '~' ? amount : -amount;
}

} // namespace kvt
