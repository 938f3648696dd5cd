// The window's picture and its place on the desktop: bands of the scaled screen, full
// screen and back, and coming to the front when another start asks for it.
#include <X11/Xutil.h>

#include "timing.h"
#include "window_host.h"

namespace pk::x11 {

void WindowHost::present(ScreenView s) {
  InteractiveHost::present(s);
  if (timing_) {
    printTiming("presented");
    timing_ = false;
  }
}

void WindowHost::showBand(uint32_t* pixels, int width, int top, int rows) {
  XImage* image = XCreateImage(d_, visual_, unsigned(depth_), ZPixmap, 0, reinterpret_cast<char*>(pixels),
                               unsigned(width), unsigned(rows), 32, width * 4);
  if (!image) return;
  XPutImage(d_, window_, gc_, image, 0, 0, 0, top, unsigned(width), unsigned(rows));
  image->data = nullptr;  // the band is the caller's
  XDestroyImage(image);
}

void WindowHost::toggleFullScreen() {
  if (haveWindowManager(d_, atoms_)) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = window_;
    e.xclient.message_type = atoms_.netWmState;
    e.xclient.format = 32;
    e.xclient.data.l[0] = 2;  // toggle
    e.xclient.data.l[1] = long(atoms_.fullscreen);
    e.xclient.data.l[3] = 1;
    XSendEvent(d_, DefaultRootWindow(d_), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    return;
  }
  // No window manager to ask: the window covers the screen itself, and gives it back.
  if (restore_) {
    XMoveResizeWindow(d_, window_, restore_->x, restore_->y, restore_->width, restore_->height);
    restore_.reset();
    return;
  }
  XWindowAttributes a{};
  XGetWindowAttributes(d_, window_, &a);
  restore_ = XRectangle{int16_t(a.x), int16_t(a.y), uint16_t(a.width), uint16_t(a.height)};
  int screen = DefaultScreen(d_);
  XMoveResizeWindow(d_, window_, 0, 0, unsigned(DisplayWidth(d_, screen)), unsigned(DisplayHeight(d_, screen)));
}

void WindowHost::bringToFront() {
  XMapRaised(d_, window_);
  XEvent e{};
  e.xclient.type = ClientMessage;
  e.xclient.window = window_;
  e.xclient.message_type = atoms_.netActive;
  e.xclient.format = 32;
  e.xclient.data.l[0] = 1;  // from an application
  e.xclient.data.l[1] = CurrentTime;
  XSendEvent(d_, DefaultRootWindow(d_), False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
  XFlush(d_);
}

}  // namespace pk::x11
