#pragma once

class QApplication;

// Organisation and application names decide the standard configuration and cache locations, so the
// terminal and every test that builds its window set them through this one function.
void applyApplicationIdentity(QApplication &app);

// The compiled-in window icon's resource path.
extern const char *const kWindowIconResource;
