#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/ui/geometry.h"
#include "runtime/value.h"


namespace kalvento::rt::ui {

// Presentation parameters: {code, value} pairs (4 foreground colour, 15 font
// as "size.face", ...).
using PresParams = std::vector<std::pair<int, Value>>;

// Presentation parameter codes the layer understands.
inline constexpr int kPPForeground = 4;
inline constexpr int kPPFont = 15;

// Creation status of a part.
inline constexpr int kStatusInit = 0;     // instantiated, not on screen
inline constexpr int kStatusCreate = 1;   // created

class XbpPart;

// The six arguments of the platform's create and configure, each optional: a
// given one replaces what the constructor set.
struct PartSetup {
  std::shared_ptr<XbpPart> parent;
  std::shared_ptr<XbpPart> owner;
  std::optional<Point> pos;
  std::optional<Size> size;
  std::optional<PresParams> presParams;
  std::optional<bool> visible;
};

// Base of every window and control. A part is built in two steps, as the
// platform does: construction takes parent, owner, position, size,
// presentation parameters and visibility and sets nothing up on screen; the
// settings may then be changed; create() builds the Qt widget. destroy() takes
// the widget down again; the object stays valid (status 0) and may be created
// anew.
//
// Positions are in the lower-left, y-up convention of the parent's drawing
// area. A parent that is absent means the desktop. Parts are owned by
// shared_ptr; a created part is in its parent's child list until destroyed.
//
// Input reaches a part only through the application event queue: the window
// layer turns a Qt key press into a keyboard event addressed to the part, and
// the key reaches the widget when an event loop hands that event to
// handleEvent.
class XbpPart : public Object, public std::enable_shared_from_this<XbpPart> {
 public:
  XbpPart(std::shared_ptr<XbpPart> parent = nullptr, std::shared_ptr<XbpPart> owner = nullptr,
          std::optional<Point> pos = std::nullopt, std::optional<Size> size = std::nullopt,
          PresParams presParams = {}, bool visible = true);
  ~XbpPart() override;
  XbpPart(const XbpPart&) = delete;
  XbpPart& operator=(const XbpPart&) = delete;

  std::string className() const override { return "XbpPart"; }
  // True for the class's own name or that of any base part class.
  bool isDerivedFrom(std::string_view name) const override;
  // isDerivedFrom with a class: true when the part is a T or derives from it.
  template <class T>
  bool isDerivedFromClass() const {
    return dynamic_cast<const T*>(this) != nullptr;
  }

  // Life cycle.
  virtual XbpPart& create();
  // Applies the current settings (caption, geometry, presentation) to a
  // created part.
  virtual XbpPart& configure();
  virtual XbpPart& destroy();
  int status() const { return widget_ ? kStatusCreate : kStatusInit; }
  // create() and configure() after taking over the given arguments.
  XbpPart& create(const PartSetup& setup);
  XbpPart& configure(const PartSetup& setup);

  // Tree. setParent() without argument answers the parent (the desktop for a
  // top-level window), as the platform's method does.
  std::shared_ptr<XbpPart> setParent() const;
  // setParent(part) gives a part that is not created yet its parent.
  void setParent(const std::shared_ptr<XbpPart>& parent) { parent_ = parent; }
  std::shared_ptr<XbpPart> setOwner() const { return owner_.lock(); }
  // The created children, in the order they were created.
  std::vector<std::shared_ptr<XbpPart>> childList() const;

  // Geometry.
  virtual Point currentPos() const;
  virtual Size currentSize() const;
  bool setPos(Point pos);
  bool setSize(Size size);
  bool setPosAndSize(Point pos, Size size);

  // Visibility and input.
  virtual bool show();
  virtual bool hide();
  bool IsVisible() const;
  bool enable();
  bool disable();
  bool IsEnabled() const;

  // The caption (text, or another value, which shows nothing).
  const Value& caption() const { return caption_; }
  void setCaption(Value caption);

  // Data. setData() loads the value from the data link; setData(v) shows v.
  // Either way the shown value becomes the one undo() returns to. getData()
  // reads the shown value and, when there is a data link, hands it to the link.
  Value setData();
  Value setData(const Value& value);
  Value getData();
  // The user changed the value since it was loaded.
  bool changed() const;
  // Runs the validation block (with the part); true when there is none.
  bool validate();
  bool undo();

  // Delivers an event taken from the queue: a key reaches the widget (after
  // the keyboard callback), an activate runs the activate callback, a close
  // runs the close callback. Events for a destroyed part are dropped.
  virtual void handleEvent(int event, const Value& mp1, const Value& mp2);

  // The Qt widget while created; children are placed in childArea().
  QWidget* widget() const { return widget_; }
  virtual QWidget* childArea() const { return widget_; }
  const PresParams& presParams() const { return presParams_; }
  void setPresParam(int code, Value value);

  // Settings and callback slots, as the platform exposes them.
  Value cargo;
  CodeBlock dataLink;      // {|x| ...}: without argument the value, with one a store
  CodeBlock validateBlock; // {|oPart| ...} -> logical
  CodeBlock keyboard;      // {|nKey, mp2, oPart| ...} before a key reaches the widget
  CodeBlock activate;      // {|mp1, mp2, oPart| ...} on the activate event
  CodeBlock close;         // {|mp1, mp2, oPart| ...} on the close event
  bool tabStop = false;

 protected:
  // Builds the widget below `qtParent` (null for a top-level window).
  virtual QWidget* buildWidget(QWidget* qtParent) = 0;
  // Applies caption and data-independent settings to the widget.
  virtual void applyCaption() {}
  // The shown value, and showing one. Parts without data keep it in a member.
  virtual Value shownValue() const { return plainValue_; }
  virtual void showValue(const Value& value) { plainValue_ = value; }
  // Called when an activate event is delivered, before the activate callback.
  virtual void onActivate(const Value& mp1) {}
  // Geometry of the widget inside its Qt parent.
  virtual void placeWidget();
  double parentAreaHeight() const;
  // Sends a key to the widget as Qt would.
  void deliverKey(int code);
  // True for a window whose Qt widget is a top-level window.
  virtual bool isTopLevel() const { return false; }

  std::weak_ptr<XbpPart> parent_;
  std::weak_ptr<XbpPart> owner_;
  Point pos_;
  Size size_;
  bool posGiven_ = false;
  PresParams presParams_;
  bool visible_ = true;
  bool enabled_ = true;
  Value caption_;
  Value loaded_;
  Value plainValue_;
  QPointer<QWidget> widget_;

 private:
  friend class WindowLayerAccess;
  void addChild(const std::shared_ptr<XbpPart>& child);
  void removeChild(const XbpPart* child);

  std::vector<std::shared_ptr<XbpPart>> children_;
};

// The part a widget belongs to (the widget itself or its nearest ancestor
// built for a part); null for widgets of no part (message boxes ...).
std::shared_ptr<XbpPart> PartOfWidget(const QWidget* widget);

}  // namespace kalvento::rt::ui
