#include "object.h"

namespace zel {

Object::~Object() = default;

} // namespace zel
