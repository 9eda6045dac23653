/* How animation 135 is laid out in its strip; shared by the drawing tool
 * and the library so the two cannot disagree. */
#ifndef GLY_ANIMATION_LAYOUT_H
#define GLY_ANIMATION_LAYOUT_H

#define GLY_ANIMATION_135_FRAMES 12
#define GLY_ANIMATION_135_FRAME_MS 90
#define GLY_ANIMATION_135_WIDTH 160
#define GLY_ANIMATION_135_HEIGHT 64

#endif
