#include "app/qt/input_discarding.h"

#include <QCoreApplication>
#include <QEvent>

namespace vsm {

namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
      return true;
    default:
      return false;
  }
}

}  // namespace

void InputDiscarder::Begin() {
  if (depth_++ == 0) QCoreApplication::instance()->installEventFilter(this);
}

void InputDiscarder::End() {
  if (--depth_ == 0) QCoreApplication::instance()->removeEventFilter(this);
}

bool InputDiscarder::eventFilter(QObject*, QEvent* event) {
  return Active() && IsUserInput(event->type());
}

DiscardingScope::DiscardingScope(InputDiscarder& discarder, OnExit on_exit)
    : discarder_(discarder), on_exit_(on_exit) {
  discarder_.Begin();
}

DiscardingScope::~DiscardingScope() {
  if (on_exit_ == OnExit::flush) QCoreApplication::processEvents();
  discarder_.End();
}

}  // namespace vsm
