// Keeping a window whole on the screen it appears on.
#pragma once

class QWidget;

namespace novalune::qtsupport {

// Moves (and, when it is larger, shrinks) a top-level window so that its
// frame lies inside the available area of its screen: a window shown from the
// tray must not come up half under a panel or past the edge.
void KeepOnScreen(QWidget& window);

}  // namespace novalune::qtsupport
