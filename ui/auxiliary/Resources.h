#pragma once
// The program's pictures (logo and icon) live in a resource file linked into a static library, so they
// must be registered explicitly before the first window asks for them.

namespace trel {

/// Registers the pictures under ":/trel/"; calling it again does nothing.
void InitResources();

} // namespace trel
