#include "skin/node_errors.h"

#include "platform/unicode.h"

namespace quarde {

using platform::to_utf8;

NodeNotFoundInSkin::NodeNotFoundInSkin(std::u16string node_name)
    : std::runtime_error("the skin has no node \"" + to_utf8(node_name) + "\""), node_name_(std::move(node_name)) {}

NodeNotFound::NodeNotFound(std::u16string parent_id, std::u16string id)
    : std::runtime_error("element \"" + to_utf8(parent_id) + "\" has no descendant \"" + to_utf8(id) + "\""),
      parent_id_(std::move(parent_id)),
      id_(std::move(id)) {}

NodeNotRegistered::NodeNotRegistered(std::u16string type_name)
    : std::runtime_error("no element kind \"" + to_utf8(type_name) + "\" is registered"),
      type_name_(std::move(type_name)) {}

NodeAlreadyRegistered::NodeAlreadyRegistered(std::u16string type_name)
    : std::runtime_error("the element kind \"" + to_utf8(type_name) + "\" is registered already"),
      type_name_(std::move(type_name)) {}

}  // namespace quarde
