#pragma once

#include <optional>
#include <string>

#include "runtime/ui/xbp_part.h"

namespace kalvento::rt::ui {

// The drawing area of a dialog (and of the desktop-less inner windows): the
// parent of the dialog's controls; positions inside it count from its lower
// left corner.
class XbpIWindow : public XbpPart {
 public:
  using XbpPart::XbpPart;
  std::string className() const override { return "XbpIWindow"; }
  bool isDerivedFrom(std::string_view name) const override;
  Size currentSize() const override;
  // Background colour: a system colour number (negative) or an RGB value
  // (0xBBGGRR); system colours keep the toolkit's background.
  void setColorBG(int colour);

 protected:
  QWidget* buildWidget(QWidget* qtParent) override;
  void placeWidget() override {}  // the dialog places its drawing area
};

// Modal states.
inline constexpr int kModalNone = 1;  // modeless
inline constexpr int kModalApplication = 2;

// A dialog window. Its parent is the desktop for a top-level window (the
// usual case) or another part's drawing area for an inner window. Its size is
// the outer size; the drawing area gets what the frame (title bar, border)
// leaves. The owner is the window it belongs to: it stays above its owner and,
// with movewithOwner, moves when the owner moves.
//
// The close box posts the close event to the dialog; the dialog's handling
// runs the close callback and leaves the window open, so that the routine that
// owns it decides when it goes.
class XbpDialog : public XbpPart {
 public:
  XbpDialog(std::shared_ptr<XbpPart> parent = nullptr, std::shared_ptr<XbpPart> owner = nullptr,
            std::optional<Point> pos = std::nullopt, std::optional<Size> size = std::nullopt,
            PresParams presParams = {}, bool visible = true);
  std::string className() const override { return "XbpDialog"; }
  bool isDerivedFrom(std::string_view name) const override;

  using XbpPart::configure;
  using XbpPart::create;
  XbpPart& create() override;
  XbpPart& configure() override;
  XbpPart& destroy() override;
  // Shows the window, raised above its owner; ends a lockUpdate hold.
  bool show() override;

  std::shared_ptr<XbpIWindow> drawingArea() const { return drawingArea_; }

  void setTitle(const std::string& title);
  const std::string& getTitle() const { return title; }
  bool setModalState(int state);
  int getModalState() const { return modalState_; }
  // Holds back painting while true; showing the window ends the hold.
  bool lockUpdate(bool lock);

  Point currentPos() const override;
  Size currentSize() const override { return size_; }

  // Called when the window system changed the window's size (through the
  // resize event the window layer queues): runs the resize callback with the
  // old and the new outer size.
  virtual void resize(Size oldSize, Size newSize);
  // Handles the resize event besides what every part handles.
  void handleEvent(int event, const Value& mp1, const Value& mp2) override;

  // Settings, read by create() and configure().
  std::string title;
  bool taskList = false;
  bool minButton = true;
  bool maxButton = true;
  bool sysMenu = true;
  bool titleBar = true;
  int border = 0;
  bool movewithOwner = false;
  std::optional<Size> minSize;
  CodeBlock resizeCallback;  // {|aOld, aNew, oDlg| ...}

  // Used by the widget: the window system moved or resized the window.
  void windowMoved(int qtX, int qtY);
  void windowResized(int clientWidth, int clientHeight);

 protected:
  QWidget* buildWidget(QWidget* qtParent) override;
  void applyCaption() override;
  void placeWidget() override;
  bool isTopLevel() const override;

 private:
  Size frameExtra() const;
  void placeDrawingArea();
  void applyModality();
  void moveOwnedWindows(double dx, double dy);

  std::shared_ptr<XbpIWindow> drawingArea_;
  int modalState_ = kModalNone;
  bool placing_ = false;
};

}  // namespace kalvento::rt::ui
