// The connection points of a level's elements as a lab text names them: an element by its
// index among the level's elements, a point by its tag name and, where the element has
// several points of that name, which of them.
#pragma once

#include <vector>

#include "tools/lab/LabText.h"

class M3DOMObject;
struct ConnectionPoint;

// The element's points in the order the game walks them: its own objects in order, each
// object's points in order, then its child nodes depth first.
std::vector<ConnectionPoint*> ElementPoints(const M3DOMObject* element);
// The point the reference names on the element (its index aside); none when there is none.
ConnectionPoint* FindElementPoint(const M3DOMObject* element, const CLabPointRef& ref);
// The reference naming a point of the element, which is the element at that index.
CLabPointRef PointRefOf(const M3DOMObject* element, uint32_t index, const ConnectionPoint* point);
// The element of the level's elements whose subtree holds the object's owner; none when it
// lies outside them.
const M3DOMObject* ElementHolding(const M3DOMObject* elements, const M3DOMObject* owner);
