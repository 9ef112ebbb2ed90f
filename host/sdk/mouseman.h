#pragma once
// Interactive creation: while the user creates an object in a viewport, the host feeds each mouse
// event to the object's creation callback, which shapes the object and places it through the
// creation matrix (the new node's transform), and answers whether creation goes on.

#include "host/sdk/matrix3.h"
#include "host/sdk/subobject.h"

class ViewExp;

// Mouse messages.
inline constexpr int MOUSE_ABORT = 0;
inline constexpr int MOUSE_POINT = 1;     // a button press; point counts the presses from 0
inline constexpr int MOUSE_MOVE = 2;      // a move with the creation under way
inline constexpr int MOUSE_DBLCLICK = 3;
inline constexpr int MOUSE_INIT = 4;
inline constexpr int MOUSE_UNINIT = 5;
inline constexpr int MOUSE_FREEMOVE = 6;  // a move before the first press
inline constexpr int MOUSE_KEYBOARD = 7;
inline constexpr int MOUSE_PROPCLICK = 8;
inline constexpr int MOUSE_SNAPCLICK = 9;

// Mouse flags: buttons and the modifier keys held.
inline constexpr int MOUSE_LBUTTON = 1 << 0;
inline constexpr int MOUSE_MBUTTON = 1 << 1;
inline constexpr int MOUSE_RBUTTON = 1 << 2;
inline constexpr int MOUSE_SHIFT = 1 << 3;
inline constexpr int MOUSE_CTRL = 1 << 4;
inline constexpr int MOUSE_ALT = 1 << 5;

// Answers of a creation callback.
inline constexpr int CREATE_CONTINUE = 1;
inline constexpr int CREATE_STOP = 0;
inline constexpr int CREATE_ABORT = -1;

class CreateMouseCallBack {
public:
  virtual ~CreateMouseCallBack() = default;
  // One mouse event: msg and the press count point, flags, the screen position m, and the
  // creation matrix mat (in and out). Answers CREATE_CONTINUE, CREATE_STOP or CREATE_ABORT.
  virtual int proc(ViewExp* vpt, int msg, int point, int flags, IPoint2 m, Matrix3& mat) = 0;
};
