#include "player/sound/SoundInfo.h"

#include "player/BitReader.h"

namespace tavro::player {

bool SoundInfo::Read(BitReader& r, SoundInfo& out) {
    out = SoundInfo();
    out.flags = r.U8();
    if (out.flags & kHasInPoint)
        out.inPoint = r.U32();
    if (out.flags & kHasOutPoint)
        out.outPoint = r.U32();
    if (out.flags & kHasLoops)
        out.loopCount = r.U16();
    if (out.flags & kHasEnvelope) {
        uint8_t n = r.U8();
        for (unsigned i = 0; i < n && r.ok(); ++i) {
            EnvelopePoint p;
            p.position44 = r.U32();
            p.left = r.U16();
            p.right = r.U16();
            if (r.ok() && out.envelopeCount < kMaxEnvelopePoints)
                out.envelope[out.envelopeCount++] = p;
        }
    }
    return r.ok();
}

int SoundInfo::Level(uint64_t position44, int channel) const {
    if (envelopeCount == 0)
        return kFullLevel;
    auto level = [&](const EnvelopePoint& p) { return int(channel == 0 ? p.left : p.right); };
    if (position44 <= envelope[0].position44)
        return level(envelope[0]);
    for (int i = 1; i < envelopeCount; ++i) {
        const EnvelopePoint& a = envelope[i - 1];
        const EnvelopePoint& b = envelope[i];
        if (position44 >= b.position44)
            continue;
        // Points out of order leave a zero-length or negative span; hold the earlier level.
        if (b.position44 <= a.position44)
            return level(a);
        int64_t span = int64_t(b.position44) - a.position44;
        int64_t t = int64_t(position44) - a.position44;
        return int(level(a) + (int64_t(level(b)) - level(a)) * t / span);
    }
    return level(envelope[envelopeCount - 1]);
}

std::span<const uint8_t> SoundInfo::ButtonSlot(std::span<const uint8_t> body, int event) {
    // Events 1, 6, 8 -> slot 0; 0, 7 -> slot 1; 2 -> slot 2; 3 -> slot 3.
    static constexpr int kSlotOfEvent[9] = {1, 0, 2, 3, -1, -1, 0, 1, 0};
    if (event < 0 || event > 8 || kSlotOfEvent[event] < 0)
        return {};
    int slot = kSlotOfEvent[event];
    BitReader r(body.data(), body.size());
    for (int i = 0;; ++i) {
        size_t start = r.Pos();
        uint16_t id = r.U16();
        if (!r.ok())
            return {};
        if (i == slot)
            return id == 0 ? std::span<const uint8_t>() : body.subspan(start);
        if (id != 0) {
            SoundInfo skipped;
            if (!Read(r, skipped))
                return {};
        }
    }
}

} // namespace tavro::player
