#include "ShapeModel.h"

#include <cmath>

// The object reference counts of the language core (ObjectModel.h), declared here so that this
// file builds on its own.
extern "C" {
void RuntimeLockObject(ObjectHeader* object);
void RuntimeUnlockObject(ObjectHeader* object);
}

namespace {

constexpr int kMaximumDepth = 128;

// The groups being changed on the current walk, outermost first.
struct Walk {
    const Object2DFields* groups[kMaximumDepth];
    int depth = 0;

    bool Holds(const Object2DFields* shape) const {
        for (int i = 0; i < depth; ++i)
            if (groups[i] == shape) return true;
        return false;
    }
    // Whether the members of a list may be visited: not too deep and not already on the walk.
    bool Enter(const Object2DFields* shape) {
        if (depth >= kMaximumDepth || Holds(shape)) return false;
        groups[depth++] = shape;
        return true;
    }
    void Leave() { --depth; }
};

Group2DFields* AsList(Object2DFields* shape) { return reinterpret_cast<Group2DFields*>(shape); }
CurveShapeFields* AsCurve(Object2DFields* shape) {
    return reinterpret_cast<CurveShapeFields*>(shape);
}

// Calls visit(member fields) for every non-nil member of a list shape entered on the walk.
template <typename Visit>
void ForEachMember(Object2DFields* shape, Walk& walk, Visit visit) {
    if (!walk.Enter(shape)) return;
    SimpleVector<ObjectHeader*>& members = AsList(shape)->members;
    for (uint32_t i = 0; i < members.size(); ++i)
        if (Object2DFields* member = ShapeFields(members.mBuf[i])) visit(member);
    walk.Leave();
}

// The points of a curve other than its start.
template <typename Map>
void MapCurvePoints(CurveShapeFields* curve, Map map) {
    map(curve->x2, curve->y2);
    for (Point2D& control : curve->control) map(control.x, control.y);
}

void Move(Object2DFields* shape, double x, double y, Walk& walk) {
    const double dx = x - shape->x;
    const double dy = y - shape->y;
    if (IsShapeList(shape)) {
        ForEachMember(shape, walk, [&](Object2DFields* member) {
            Move(member, member->x + dx, member->y + dy, walk);
        });
    } else if (shape->kind == kShapeKindCurve) {
        MapCurvePoints(AsCurve(shape), [&](double& px, double& py) {
            px += dx;
            py += dy;
        });
    }
    shape->x = x;
    shape->y = y;
}

void Scale(Object2DFields* shape, double scale, Walk& walk) {
    const bool list = IsShapeList(shape);
    if (list || shape->kind == kShapeKindCurve) {
        if (!(scale > 0)) return;
        const double ratio = scale / shape->scale;
        const double cx = shape->x;
        const double cy = shape->y;
        if (list) {
            ForEachMember(shape, walk, [&](Object2DFields* member) {
                Move(member, cx + (member->x - cx) * ratio, cy + (member->y - cy) * ratio, walk);
                Scale(member, ratio * member->scale, walk);
            });
        } else {
            MapCurvePoints(AsCurve(shape), [&](double& px, double& py) {
                px = cx + ratio * (px - cx);
                py = cy + ratio * (py - cy);
            });
        }
    }
    shape->scale = scale;
}

void Rotate(Object2DFields* shape, double rotation, Walk& walk) {
    const double d = rotation - shape->rotation;
    const double c = std::cos(d);
    const double s = std::sin(d);
    const double cx = shape->x;
    const double cy = shape->y;
    if (IsShapeList(shape)) {
        ForEachMember(shape, walk, [&](Object2DFields* member) {
            const double px = member->x - cx;
            const double py = member->y - cy;
            Move(member, cx + px * c - py * s, cy + px * s + py * c, walk);
            Rotate(member, member->rotation + d, walk);
        });
    } else if (shape->kind == kShapeKindCurve) {
        MapCurvePoints(AsCurve(shape), [&](double& px, double& py) {
            const double x = px - cx;
            const double y = py - cy;
            px = cx + x * c - y * s;
            py = cy + x * s + y * c;
        });
    }
    shape->rotation = rotation;
}

bool InMembers(const Group2DFields* group, int32_t index) {
    return index >= 0 && static_cast<uint32_t>(index) < group->members.size();
}

}  // namespace

void SetObject2DPosition(Object2DFields* shape, double x, double y) {
    if (!shape) return;
    Walk walk;
    Move(shape, x, y, walk);
}

void SetObject2DScale(Object2DFields* shape, double scale) {
    if (!shape) return;
    Walk walk;
    Scale(shape, scale, walk);
}

void SetObject2DRotation(Object2DFields* shape, double rotation) {
    if (!shape) return;
    Walk walk;
    Rotate(shape, rotation, walk);
}

uint32_t ShapeMemberCount(ObjectHeader* shape) {
    Object2DFields* fields = ShapeFields(shape);
    return IsShapeList(fields) ? AsList(fields)->members.size() : 0;
}

void ShapeListAppend(Group2DFields* group, ObjectHeader* member) {
    RuntimeLockObject(member);
    group->members.push_back(member);
}

bool ShapeListInsert(Group2DFields* group, int32_t index, ObjectHeader* member) {
    SimpleVector<ObjectHeader*>& members = group->members;
    if (index < 0 || static_cast<uint32_t>(index) > members.size()) return false;
    RuntimeLockObject(member);
    members.push_back(member);
    for (uint32_t i = members.size() - 1; i > static_cast<uint32_t>(index); --i)
        members.mBuf[i] = members.mBuf[i - 1];
    members.mBuf[index] = member;
    return true;
}

bool ShapeListItem(Group2DFields* group, int32_t index, ObjectHeader** member) {
    *member = nullptr;
    if (!InMembers(group, index)) return false;
    *member = group->members.mBuf[index];
    RuntimeLockObject(*member);
    return true;
}

bool ShapeListSetItem(Group2DFields* group, int32_t index, ObjectHeader* member) {
    if (!InMembers(group, index)) return false;
    ObjectHeader* old = group->members.mBuf[index];
    RuntimeLockObject(member);
    group->members.mBuf[index] = member;
    RuntimeUnlockObject(old);
    return true;
}

bool ShapeListRemoveAt(Group2DFields* group, int32_t index) {
    if (!InMembers(group, index)) return false;
    ObjectHeader* old = group->members.mBuf[index];
    group->members.remove_at(static_cast<uint32_t>(index));
    RuntimeUnlockObject(old);
    return true;
}

void ShapeListRemove(Group2DFields* group, ObjectHeader* member) {
    for (uint32_t i = 0; i < group->members.size(); ++i)
        if (group->members.mBuf[i] == member) {
            ShapeListRemoveAt(group, static_cast<int32_t>(i));
            return;
        }
}

void ShapeListClear(Group2DFields* group) {
    SimpleVector<ObjectHeader*>& members = group->members;
    // Unlocking may finalize a member that holds this group; the list is emptied first.
    SimpleVector<ObjectHeader*> dropped(kShapeMemberGrowth);
    dropped.swap(members);
    for (uint32_t i = 0; i < dropped.size(); ++i) RuntimeUnlockObject(dropped.mBuf[i]);
}

int32_t TruncateToInt32(double value) {
    if (!(value == value)) return 0;
    if (value >= 2147483647.0) return INT32_MAX;
    if (value <= -2147483648.0) return INT32_MIN;
    return static_cast<int32_t>(value);
}
