#include "ui/animation_static.h"

AnimationStatic::AnimationStatic(int animationId, QWidget* parent)
    : QLabel(parent), animation_(LoadAnimation(animationId)) {
  setAlignment(Qt::AlignCenter);
  connect(&timer_, &QTimer::timeout, this, [this] { ShowFrame((frame_ + 1) % frameCount()); });
  if (frameCount() > 0) ShowFrame(0);
}

void AnimationStatic::Play() {
  if (frameCount() > 1) timer_.start(animation_.frameMilliseconds);
}

void AnimationStatic::Stop() { timer_.stop(); }

void AnimationStatic::ShowFrame(int frame) {
  frame_ = frame;
  setPixmap(QPixmap::fromImage(animation_.frames[static_cast<size_t>(frame)]));
}
