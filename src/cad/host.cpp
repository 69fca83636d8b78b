#include "cad/host.h"

namespace velorin::cad {

// A member the entity's kind does not have, as a late-bound call would report it.
HResult Entity::AddVertex(int, double, double) { return kMemberNotFound; }
HResult Entity::SetWidth(int, double, double) { return kMemberNotFound; }
HResult Entity::Update() { return kMemberNotFound; }
HResult Entity::SetClosed(bool) { return kMemberNotFound; }
HResult Entity::SetScaleFactor(double) { return kMemberNotFound; }
HResult Entity::SetRotation(double) { return kMemberNotFound; }
HResult Entity::SetHorizontalAlignment(HorizontalAlignment) { return kMemberNotFound; }
HResult Entity::SetVerticalAlignment(VerticalAlignment) { return kMemberNotFound; }
HResult Entity::SetTextAlignmentPoint(Point3) { return kMemberNotFound; }

}  // namespace velorin::cad
