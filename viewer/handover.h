#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nimbrel {

/// The local socket of the viewer that shows file for this user: one per canonical path, in
/// $XDG_RUNTIME_DIR (or /tmp, the user id in the name).
std::string handoverSocketPath(const std::string& file);

/// Sends one request line to the viewer listening on socketPath and waits up to timeoutMs
/// for its one-line answer. Nothing when no viewer listens there; an empty string when one
/// took the request but did not answer in time.
std::optional<std::string> askRunningViewer(const std::string& socketPath,
                                            std::string_view request, int timeoutMs);

/// Requests of the hand-over protocol, one line each; the viewer answers each with one line.
inline constexpr std::string_view kShowRequest = "show";     ///< front + reload; "ok"
inline constexpr std::string_view kStatusRequest = "status"; ///< "loads N vertices V faces F skipped S"

} // namespace nimbrel
