#include "cad/host.h"

namespace velorin::cad {

// A member the entity's kind does not have, as a late-bound call would report it.
HResult Entity::AddVertex(int, double, double) { return Report(kMemberNotFound); }
HResult Entity::SetWidth(int, double, double) { return Report(kMemberNotFound); }
HResult Entity::Update() { return Report(kMemberNotFound); }
HResult Entity::SetClosed(bool) { return Report(kMemberNotFound); }
HResult Entity::SetScaleFactor(double) { return Report(kMemberNotFound); }
HResult Entity::SetRotation(double) { return Report(kMemberNotFound); }
HResult Entity::SetHorizontalAlignment(HorizontalAlignment) { return Report(kMemberNotFound); }
HResult Entity::SetVerticalAlignment(VerticalAlignment) { return Report(kMemberNotFound); }
HResult Entity::SetTextAlignmentPoint(Point3) { return Report(kMemberNotFound); }

}  // namespace velorin::cad
