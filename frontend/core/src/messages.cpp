// The designed message pane lines of the session's typed messages.
#include "frontend/messages.h"

#include "zemplay.h"

#include <array>
#include <cstdio>
#include <initializer_list>

namespace frontend {

namespace {

// Indexed by the engine's result code; the gaps are codes it no longer uses.
constexpr auto kErrorTexts = std::to_array<const char*>({
    nullptr,
    "dummy function",
    "ZEM format error",
    nullptr,
    "null callback",
    "out of memory",
    "field overflow",
    "out of track data",
    "illegal parameter",
    "tempo become zero",
    "args too less",
    "undefined command",
    "loopstack overflow",
    "loopstack underflow",
    "reentranted",
    "ZEMPLAY.DLL's version too elder",
});
constexpr bool namesEvery(std::initializer_list<int> codes)
{
    for (int code : codes)
        if (code < 0 || size_t(code) >= kErrorTexts.size() || kErrorTexts[size_t(code)] == nullptr) return false;
    return true;
}
static_assert(kErrorTexts.size() == DP_VERSION_TOO_OLD + 1, "one text per result code, none past the last");
static_assert(namesEvery({DP_DUMMY_FUNCTION, DP_FORMAT_ERROR, DP_OUT_OF_MEMORY, DP_FIELD_OVERFLOW, DP_OUT_OF_TRACK_DATA,
                          DP_ILLEGAL_PARAMETER, DP_TEMPO_ZERO, DP_ARGS_TOO_SHORT, DP_UNDEFINED_COMMAND,
                          DP_LOOPSTACK_OVERFLOW, DP_LOOPSTACK_UNDERFLOW, DP_REENTERED, DP_VERSION_TOO_OLD}),
              "every error the engine reports has its text");

// Indexed by audsink_bridge::StreamRequest.
constexpr auto kRequestNames = std::to_array<const char*>({"stropen", "strclose", "strplay", "strstop"});
static_assert(kRequestNames.size() == size_t(audsink_bridge::StreamRequest::Stop) + 1, "one name per request");

template <typename... Args> std::string format(const char* pattern, Args... args)
{
    char text[96];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

struct PaneLines {
    using Lines = std::vector<std::string>;

    Lines operator()(const PortOpened& m) const { return {format("Dev%.02d: ", m.port) + m.name}; }
    Lines operator()(const PortFailed& m) const { return {format("Dev%.02d: [error]", m.port) + m.name}; }
    Lines operator()(const ExclusiveFailed& m) const
    {
        return {format("Dev%.02d: exclusive message %s", m.port,
                       m.problem == ExclusiveProblem::Busy ? "busy" : "timed out")};
    }
    Lines operator()(const CompileMessage& m) const { return {"[" + m.file + "]", m.text}; }
    Lines operator()(const EngineError& m) const
    {
        const char* text = m.code >= 0 && size_t(m.code) < kErrorTexts.size() ? kErrorTexts[size_t(m.code)] : nullptr;
        if (text) return {format("%.8x : %s", m.offset, text)};
        return {format("%.8x : unknown error(%.8x)", m.offset, static_cast<unsigned>(m.code))};
    }
    Lines operator()(const StreamFailure& m) const
    {
        const char* request = kRequestNames[size_t(m.request)];
        switch (m.code) {
        case audsink_bridge::StreamFailureCode::UnsupportedSlot:
            return {format("%s: unsupported context(%d)", request, m.slot)};
        case audsink_bridge::StreamFailureCode::CannotOpen: return {format("%s: cannot open(%d)", request, m.slot)};
        }
        return {};
    }
    Lines operator()(const SongText& m) const { return {m.text}; }
    Lines operator()(const ReloadDone& m) const { return {"[" + m.file + "] reloaded"}; }
    Lines operator()(const ReloadRefused&) const { return {"dp_const() failed"}; }
    Lines operator()(const StartRefused& m) const { return {m.reason}; }
};

} // namespace

std::vector<std::string> paneLines(const Message& message) { return std::visit(PaneLines{}, message); }

} // namespace frontend
