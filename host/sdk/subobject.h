#pragma once
// Sub-object selection: the level types an object announces, and the small types that the
// sub-object operations of BaseObject take.

#include <vector>

#include "host/sdk/matrix3.h"

class MaxIcon;
class CommandMode;
class HitRecord;

// A screen point in pixels.
struct IPoint2 {
  int x = 0;
  int y = 0;
};

// The command modes an object hands to the host when a sub-object level is activated.
struct XFormModes {
  CommandMode* move = nullptr;
  CommandMode* rotate = nullptr;
  CommandMode* scale = nullptr;
  CommandMode* uscale = nullptr;
  CommandMode* squash = nullptr;
  CommandMode* select = nullptr;
};

// Receives sub-object centres and transforms (id numbers the element).
class SubObjAxisCallback {
public:
  virtual ~SubObjAxisCallback() = default;
  virtual void Center(const Point3& c, int id) = 0;
  virtual void TM(const Matrix3& tm, int id) = 0;
};

// One sub-object level of an object, as the host lists it.
class ISubObjType {
public:
  virtual ~ISubObjType() = default;
  // The level's icon; null for none.
  virtual MaxIcon* GetIcon() = 0;
  virtual const MCHAR* GetName() = 0;
};

// The host's growable table, as the named-selection operations take it.
template <class T>
using Tab = std::vector<T>;
