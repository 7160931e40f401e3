#pragma once

#include <functional>
#include <string>

#include "support/session.h"
#include "support/temp_dir.h"

namespace nimbrel::testing {

/// A quad of two triangles: Word indices 0 1 2 0 2 3 at 0x00, four Float records of 20
/// bytes (position, UV at 12) at 0x10. 0x60 bytes.
std::string quadModel();

/// Opens path in the session and types the quad's fields: faces 0x0 6, VB records of 20
/// bytes with UVs at 12, vertices 0x10 4.
void openQuad(Session& s, const std::string& path);

/// Runs body in a forked child (for limits and identities the test process must keep)
/// and returns what it reported: empty when every check held, else the failures, or how
/// the child died.
std::string inChild(const std::function<std::string()>& body);

}  // namespace nimbrel::testing
