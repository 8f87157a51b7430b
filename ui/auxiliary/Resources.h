#pragma once
// The program's pictures (logo and icon) live in a resource file linked into a static library, so they
// must be registered explicitly before the first window asks for them.

#include <QPixmap>

namespace trel {

/// Registers the pictures under ":/trel/"; calling it again does nothing.
void InitResources();

enum class Picture { Logo, Icon };

/// The picture, decoded once and shared by every window that shows it. Read with its format named, so no
/// image-format plugin is loaded (and no other format's library with it) to find out what the file is.
QPixmap ResourcePixmap(Picture picture);

} // namespace trel
