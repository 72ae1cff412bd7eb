#pragma once

class QString;
class QWidget;

// Native Wayland tells no client that its window was minimized, and lets no client raise itself:
// a minimized window comes back only by being mapped anew, and to the front only with an
// activation token that the desktop handed out (to a tray icon, or to a program it launched).
// Qt's Wayland plugin takes such a token from the environment when a window asks to be
// activated. Elsewhere the window is activated as usual.

// Maps a shown window anew, as it may be minimized. Even one that seems to hold the focus: the
// compositor's word that it lost the focus to a minimize may still be on its way. Call it just
// before showing the window.
void remapIfPerhapsMinimized(QWidget& window);

// Asks for the window's activation, on Wayland once the compositor has it on screen (it drops a
// request for a window it has not mapped yet). A token at hand for it is spent either way, so
// that no later activation or child process gets it stale.
void activateWhenMapped(QWidget& window);

// Leaves a token where Qt's Wayland plugin takes it for the next activation.
void offerActivationToken(const QString& token);
