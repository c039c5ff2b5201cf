#pragma once

#include <QObject>

namespace vsm {

// While the engine works, the window keeps being painted but the user's input is dropped rather
// than queued: clicks made during an operation must not start another one afterwards. Installed
// on the application while at least one scope is open; suspended while a modal box or dialog of
// the tool itself waits for the user.
class InputDiscarder : public QObject {
 public:
  void Begin();
  void End();
  void Suspend() { ++suspended_; }
  void Resume() { --suspended_; }
  bool Active() const { return depth_ > 0 && suspended_ == 0; }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override;

 private:
  int depth_ = 0;
  int suspended_ = 0;
};

// Discards input for its lifetime. With `flush`, it takes the input still pending on leaving, so
// that nothing that arrived meanwhile reaches a control afterwards.
class DiscardingScope {
 public:
  enum class OnExit { keep_pending, flush };
  explicit DiscardingScope(InputDiscarder& discarder, OnExit on_exit = OnExit::flush);
  ~DiscardingScope();
  DiscardingScope(const DiscardingScope&) = delete;
  DiscardingScope& operator=(const DiscardingScope&) = delete;

 private:
  InputDiscarder& discarder_;
  OnExit on_exit_;
};

// Lets input through for its lifetime (a modal box or dialog that the user must answer).
class SuspendedDiscarding {
 public:
  explicit SuspendedDiscarding(InputDiscarder& discarder) : discarder_(discarder) {
    discarder_.Suspend();
  }
  ~SuspendedDiscarding() { discarder_.Resume(); }
  SuspendedDiscarding(const SuspendedDiscarding&) = delete;
  SuspendedDiscarding& operator=(const SuspendedDiscarding&) = delete;

 private:
  InputDiscarder& discarder_;
};

}  // namespace vsm
