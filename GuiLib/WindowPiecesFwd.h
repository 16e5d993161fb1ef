#pragma once

// The pieces a main window holds by pointer, declared once for the windows'
// headers.
namespace morvex_gui_qtlib {
class DisplayView;
class FullScreenSwitch;
class OverflowIndicator;
class PortToolBar;
class PortWatch;
class QtWindowImp;
class WidgetHolder;
}  // namespace morvex_gui_qtlib
