// A picture control that plays an animation of the resource library in a
// loop while it is shown, like a progress animation next to a long job.
#pragma once

#include <QLabel>
#include <QTimer>

#include "ui/resource_qt.h"

class AnimationStatic : public QLabel {
  Q_OBJECT
 public:
  AnimationStatic(int animationId, QWidget* parent = nullptr);

  void Play();
  void Stop();
  bool IsPlaying() const { return timer_.isActive(); }
  int frameCount() const { return static_cast<int>(animation_.frames.size()); }
  int currentFrame() const { return frame_; }

 private:
  void ShowFrame(int frame);

  AnimationFrames animation_;
  QTimer timer_;
  int frame_ = 0;
};
