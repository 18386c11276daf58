// The exceptions that report a skin that does not match the code.
#pragma once

#include <stdexcept>
#include <string>

namespace quarde {

// Code asked to load from a named node the skin does not have.
class NodeNotFoundInSkin : public std::runtime_error {
 public:
  explicit NodeNotFoundInSkin(std::u16string node_name);
  const std::u16string& node_name() const { return node_name_; }

 private:
  std::u16string node_name_;
};

// Code requires a descendant with an id that is not there.
class NodeNotFound : public std::runtime_error {
 public:
  NodeNotFound(std::u16string parent_id, std::u16string id);
  const std::u16string& parent_id() const { return parent_id_; }
  const std::u16string& id() const { return id_; }

 private:
  std::u16string parent_id_;
  std::u16string id_;
};

// A child record's "type" names no registered kind.
class NodeNotRegistered : public std::runtime_error {
 public:
  explicit NodeNotRegistered(std::u16string type_name);
  const std::u16string& type_name() const { return type_name_; }

 private:
  std::u16string type_name_;
};

// A kind registered twice.
class NodeAlreadyRegistered : public std::runtime_error {
 public:
  explicit NodeAlreadyRegistered(std::u16string type_name);
  const std::u16string& type_name() const { return type_name_; }

 private:
  std::u16string type_name_;
};

}  // namespace quarde
