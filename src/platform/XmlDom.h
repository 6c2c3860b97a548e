#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// The XML DOM service over libxml2. Text crosses as program text
// (Windows-1252): what it cannot hold becomes '?'.
namespace trasvelo::platform {

class XmlDocument;
struct XmlDocumentData;

// A handle to a node of one document; empty when a lookup found nothing.
// Handles stay valid while their document lives, also for nodes removed from
// the tree or created and never appended.
class XmlNode {
 public:
  XmlNode() = default;
  explicit operator bool() const { return node_ != nullptr; }

  std::string Name() const;
  // All descendant text, in document order.
  std::string Text() const;
  // Replaces the element's content by that text.
  void SetText(std::string_view text);
  // Attributes are written in the order first set.
  void SetAttribute(std::string_view name, std::string_view value);
  void SetAttribute(std::string_view name, int64_t value);
  std::string Attribute(std::string_view name) const;

  class XmlNodeList SelectNodes(std::string_view xpath) const;
  XmlNode SelectSingleNode(std::string_view xpath) const;
  XmlNode FirstChild() const;
  void AppendChild(XmlNode child);
  void RemoveChild(XmlNode child);

  void* Raw() const { return node_; }

 private:
  friend class XmlDocument;
  friend class XmlNodeList;
  XmlNode(void* node, std::shared_ptr<XmlDocumentData> doc) : node_(node), doc_(std::move(doc)) {}
  void* node_ = nullptr;
  std::shared_ptr<XmlDocumentData> doc_;
};

// The matches of a query, in document order.
class XmlNodeList {
 public:
  XmlNodeList() = default;
  size_t Length() const { return nodes_.size(); }
  // Empty node past the end.
  XmlNode Item(size_t index) const;

 private:
  friend class XmlNode;
  friend class XmlDocument;
  std::vector<void*> nodes_;
  std::shared_ptr<XmlDocumentData> doc_;
};

class XmlDocument {
 public:
  XmlDocument();  // an empty document
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Parses the file safely (no network, no external entities or DTDs, no
  // entity blow-up). True on success. A file that is missing or does not
  // parse leaves the document empty; LoadError() then says why.
  bool Load(const std::filesystem::path& file);
  bool LoadFromMemory(std::string_view bytes);
  const std::string& LoadError() const;

  XmlNode DocumentElement() const;
  XmlNodeList SelectNodes(std::string_view xpath) const;
  XmlNode SelectSingleNode(std::string_view xpath) const;
  XmlNode FirstChild() const;

  XmlNode CreateElement(std::string_view name);
  // type 1 (element) only, empty namespace: the same as CreateElement.
  XmlNode CreateNode(int type, std::string_view name, std::string_view namespaceUri);
  void AppendChild(XmlNode child);
  void RemoveChild(XmlNode child);

  // The document as the serializer writes it: the loaded XML declaration and
  // its encoding kept; UTF-8 when the document had none.
  std::string Serialize() const;
  // Serialize() written atomically over `file`. XmlError naming the file.
  void Save(const std::filesystem::path& file) const;

 private:
  std::shared_ptr<XmlDocumentData> data_;
};

}  // namespace trasvelo::platform
