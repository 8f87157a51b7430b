#pragma once
// The application's style: the toolkit's own, with the pictures no first window shows made only when one is
// painted, so that starting Trel loads no image-format plugin.

namespace trel {

/// Installs the style (once, at start, before the first window).
void ApplyProgramStyle();

} // namespace trel
