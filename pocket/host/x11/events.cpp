// What the window and the keyboard tell the host, turned into the stylus, keys and the
// window's own business; and the wait for them, with sound kept ticking.
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <poll.h>
#include <unistd.h>

#include "window_host.h"

namespace pk::x11 {

bool WindowHost::waitForEvents(int timeoutMs) {
  bool got = false;
  auto drain = [&] {
    while (XPending(d_)) {
      XEvent e;
      XNextEvent(d_, &e);
      translate(e);
      got = true;
    }
  };
  drain();
  if (got) return true;
  // A quiet sound device is closed a while after the last sound.
  int wait = timeoutMs;
  int audioWait = audio_.msUntilTick();
  bool forAudio = audioWait >= 0 && (wait < 0 || audioWait < wait);
  if (forAudio) wait = audioWait;
  XFlush(d_);
  pollfd fds[2] = {{ConnectionNumber(d_), POLLIN, 0}, {wake_[0], POLLIN, 0}};
  int n = poll(fds, wake_[0] >= 0 ? 2 : 1, wait);
  if (forAudio || n <= 0) audio_.tick();
  if (n <= 0) return false;
  if (wake_[0] >= 0 && (fds[1].revents & POLLIN)) {
    char buf[16];
    ssize_t count;
    while ((count = read(wake_[0], buf, sizeof buf)) > 0)
      for (ssize_t i = 0; i < count; ++i) {
        if (buf[i] == 'r') bringToFront();
        if (buf[i] == 'c') closeRequested();
      }
  }
  drain();
  return true;
}

void WindowHost::key(XKeyEvent& e, bool down) {
  KeySym sym = XLookupKeysym(&e, 0);
  bool repeat = down && down_[e.keycode & 0xFF];
  down_[e.keycode & 0xFF] = down;
  bool alt = sym == XK_Alt_L || sym == XK_Alt_R || sym == XK_Meta_L;
  // Alt pressed and let go alone opens the menus, as F10 does.
  if (!down) {
    if (alt && altAlone_) keyPressed(Key::Menu);
    altAlone_ = false;
    return;
  }
  altAlone_ = alt && !repeat;
  bool ctrl = (e.state & ControlMask) != 0;
  switch (sym) {
    case XK_Up: case XK_KP_Up: keyPressed(Key::Up); return;
    case XK_Down: case XK_KP_Down: keyPressed(Key::Down); return;
    case XK_Left: case XK_KP_Left: keyPressed(Key::Left); return;
    case XK_Right: case XK_KP_Right: keyPressed(Key::Right); return;
    default: break;
  }
  if (repeat) return;
  switch (sym) {
    case XK_Escape: keyPressed(Key::Escape); return;
    case XK_Return: case XK_KP_Enter: keyPressed(Key::Enter); return;
    case XK_F1: keyPressed(Key::F1); return;
    case XK_F10: keyPressed(Key::Menu); return;
    case XK_F11: toggleFullScreen(); return;
    case XK_space: case XK_KP_5: case XK_KP_Begin: keyPressed(Key::Space); return;
    case XK_n: if (ctrl) keyPressed(Key::CtrlN); return;
    case XK_z: if (ctrl) keyPressed(Key::CtrlZ); return;
    case XK_q: if (ctrl) keyPressed(Key::CtrlQ); return;
    default: return;
  }
}

void WindowHost::translate(XEvent& e) {
  switch (e.type) {
    case ClientMessage:
      if (e.xclient.message_type == atoms_.protocols && Atom(e.xclient.data.l[0]) == atoms_.deleteWindow)
        closeRequested();
      return;
    case Expose:
      if (e.xexpose.count == 0) redraw();
      return;
    case ConfigureNotify:
      windowResized(e.xconfigure.width, e.xconfigure.height);
      return;
    case ButtonPress:
      if (e.xbutton.button == Button1) stylusDown(e.xbutton.x, e.xbutton.y);
      return;
    case MotionNotify:
      stylusMove(e.xmotion.x, e.xmotion.y);
      return;
    case ButtonRelease:
      if (e.xbutton.button == Button1) stylusUp(e.xbutton.x, e.xbutton.y);
      return;
    case KeyPress:
    case KeyRelease:
      key(e.xkey, e.type == KeyPress);
      return;
    case FocusOut:
      down_.reset();
      altAlone_ = false;
      return;
    default:
      return;
  }
}

}  // namespace pk::x11
