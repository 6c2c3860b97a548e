#include "platform/XmlDom.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>
#include <libxml/xpath.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <unordered_set>

#include "platform/AtomicFile.h"
#include "platform/Error.h"
#include "platform/Text1252.h"

namespace trasvelo::platform {

// What a handle's document owns. Nodes that are not in the tree (created and
// not yet appended, removed, or displaced by SetText) are remembered here and
// freed with the document, so that every handle stays valid while the
// document lives and nothing leaks.
struct XmlDocumentData {
  xmlDocPtr doc = nullptr;
  std::string loadError;
  std::vector<xmlNodePtr> detached;

  XmlDocumentData() : doc(xmlNewDoc(BAD_CAST "1.0")) {
    if (doc == nullptr) {
      throw XmlError("No hay memoria para crear un documento XML");
    }
  }
  ~XmlDocumentData() { Release(); }
  XmlDocumentData(const XmlDocumentData&) = delete;
  XmlDocumentData& operator=(const XmlDocumentData&) = delete;

  void Release() {
    // A remembered node still outside the tree is the root of a detached
    // subtree (or inside one). Decide for all of them before freeing any,
    // since freeing one subtree frees the remembered nodes inside it.
    std::unordered_set<xmlNodePtr> unique(detached.begin(), detached.end());
    std::vector<xmlNodePtr> roots;
    for (xmlNodePtr n : unique) {
      if (n->parent == nullptr) {
        roots.push_back(n);
      }
    }
    for (xmlNodePtr n : roots) {
      xmlFreeNode(n);
    }
    detached.clear();
    if (doc != nullptr) {
      xmlFreeDoc(doc);
      doc = nullptr;
    }
  }
};

namespace {

const xmlChar* Xml(const std::string& utf8) {
  return reinterpret_cast<const xmlChar*>(utf8.c_str());
}

std::string FromXml(const xmlChar* text) {
  return text == nullptr ? std::string() : Utf8To1252(reinterpret_cast<const char*>(text));
}

// libxml2 messages end with a line break.
std::string Clean(const char* message) {
  std::string s = message == nullptr ? std::string() : std::string(message);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) {
    s.pop_back();
  }
  return s;
}

void InitLibrary() {
  static const bool once = [] {
    LIBXML_TEST_VERSION
    xmlInitParser();
    return true;
  }();
  (void)once;
}

// Some of the library's complaints (encoding errors, a few XPath errors) do
// not go to the handlers of a parse or a query but to its generic handler,
// which prints them. This collects the first instead, for the message.
class QuietGenericErrors {
 public:
  explicit QuietGenericErrors(std::string& sink)
      : function_(xmlGenericError), context_(xmlGenericErrorContext) {
    xmlSetGenericErrorFunc(&sink, Collect);
  }
  ~QuietGenericErrors() { xmlSetGenericErrorFunc(context_, function_); }
  QuietGenericErrors(const QuietGenericErrors&) = delete;
  QuietGenericErrors& operator=(const QuietGenericErrors&) = delete;

 private:
  static void Collect(void* sink, const char* format, ...) {
    auto* m = static_cast<std::string*>(sink);
    if (!m->empty() || format == nullptr) {
      return;
    }
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    *m = Clean(text);
  }
  xmlGenericErrorFunc function_;
  void* context_;
};

// ---- Safe parsing -------------------------------------------------------

struct ParseState {
  std::string firstError;
  bool refused = false;
};

ParseState& StateOf(void* ctx) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  return *static_cast<ParseState*>(ctxt->_private);
}

void RecordError(void* ctx, xmlErrorPtr error) {
  if (error == nullptr || error->level < XML_ERR_ERROR) {
    return;
  }
  ParseState& state = StateOf(ctx);
  if (state.firstError.empty()) {
    state.firstError = "línea " + std::to_string(error->line) + ": " + Clean(error->message);
  }
}

// Entities are refused outright: a document that declares one, general or
// parameter, internal or external, does not load. Exchange documents never
// declare entities, and refusing them closes every expansion attack at once:
// nested definitions ("billion laughs"), one large entity referenced many
// times (quadratic size), and a small entity referenced hundreds of
// thousands of times, which the library's own amplification checks let
// through and which costs time quadratic in the references because each copy
// is merged into the text before it. The predefined entities (&lt; &amp; ...)
// and character references are not declarations and work as always.
void RefuseEntityDecl(void* ctx, const xmlChar* name, int /*type*/, const xmlChar* /*publicId*/,
                      const xmlChar* /*systemId*/, xmlChar* /*content*/) {
  auto* ctxt = static_cast<xmlParserCtxtPtr>(ctx);
  ParseState& state = StateOf(ctx);
  if (!state.refused) {
    state.refused = true;
    state.firstError = "el documento declara la entidad '" +
                       std::string(reinterpret_cast<const char*>(name)) +
                       "', y no se aceptan documentos que declaren entidades";
  }
  ctxt->wellFormed = 0;
  xmlStopParser(ctxt);
}

// No request for an outside resource (external entity, DTD, schema) is ever
// served, whatever name it gives.
xmlParserInputPtr RefuseExternal(const char* /*url*/, const char* /*id*/, xmlParserCtxtPtr /*c*/) {
  return nullptr;
}

class RefusingLoader {
 public:
  RefusingLoader() : previous_(xmlGetExternalEntityLoader()) {
    xmlSetExternalEntityLoader(RefuseExternal);
  }
  ~RefusingLoader() { xmlSetExternalEntityLoader(previous_); }
  RefusingLoader(const RefusingLoader&) = delete;
  RefusingLoader& operator=(const RefusingLoader&) = delete;

 private:
  xmlExternalEntityLoader previous_;
};

// Parses `bytes`; the document or nullptr with the reason in `error`.
// NOENT makes the parser substitute entities itself (so they are subject to
// its checks and to ours) instead of leaving references to expand later;
// NONET and the loader keep it off the network and the disk. The DTD is
// never loaded, validated or used for defaults, and XInclude is not run.
// NOBLANKS drops the whitespace-only text between elements, as the
// program's documents were always read: the first child of an element is
// its first element, however the file is indented.
xmlDocPtr Parse(std::string_view bytes, const char* url, std::string& error) {
  InitLibrary();
  if (bytes.empty()) {
    error = "el archivo está vacío";
    return nullptr;
  }
  if (bytes.size() > static_cast<size_t>(INT_MAX)) {
    error = "el archivo es demasiado grande";
    return nullptr;
  }
  xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
  if (ctxt == nullptr) {
    error = "no hay memoria para leer el documento";
    return nullptr;
  }
  ParseState state;
  ctxt->_private = &state;
  ctxt->sax->serror = RecordError;
  ctxt->sax->entityDecl = RefuseEntityDecl;
  xmlDocPtr doc = nullptr;
  std::string generic;
  {
    RefusingLoader loader;
    QuietGenericErrors quiet(generic);
    doc = xmlCtxtReadMemory(ctxt, bytes.data(), static_cast<int>(bytes.size()), url, nullptr,
                            XML_PARSE_NONET | XML_PARSE_NOENT | XML_PARSE_NOBLANKS);
  }
  if (doc != nullptr && (state.refused || !ctxt->wellFormed)) {
    xmlFreeDoc(doc);
    doc = nullptr;
  }
  if (doc == nullptr) {
    error = !state.firstError.empty() ? state.firstError
            : !generic.empty()        ? generic
                                      : "el documento no es XML válido";
  }
  xmlFreeParserCtxt(ctxt);
  return doc;
}

// ---- Node helpers -------------------------------------------------------

bool IsContainer(xmlNodePtr n) {
  return n->type == XML_ELEMENT_NODE || n->type == XML_DOCUMENT_NODE;
}

// Nodes that can be appended to an element or the document.
bool IsMovable(xmlNodePtr n) {
  switch (n->type) {
    case XML_ELEMENT_NODE:
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      return true;
    default:
      return false;
  }
}

// Links `child` (outside any tree) as the last child of `parent`. Unlike
// xmlAddChild this never merges a text node into its neighbour, which
// would free the node under a handle that still refers to it.
void LinkLast(xmlNodePtr parent, xmlNodePtr child) {
  child->parent = parent;
  child->next = nullptr;
  child->prev = parent->last;
  if (parent->last != nullptr) {
    parent->last->next = child;
  } else {
    parent->children = child;
  }
  parent->last = child;
}

std::string Utf8Name(std::string_view name, const char* what) {
  std::string utf8 = Cp1252ToUtf8(name);
  if (name.empty() || xmlValidateName(Xml(utf8), 0) != 0) {
    throw XmlError("'" + utf8 + "' no es un nombre XML válido para " + what);
  }
  return utf8;
}

// The nodes that `path` (program text) selects from `context`.
std::vector<xmlNodePtr> Evaluate(xmlDocPtr doc, xmlNodePtr context, std::string_view path) {
  InitLibrary();
  const std::string utf8 = Cp1252ToUtf8(path);
  xmlXPathContextPtr xp = xmlXPathNewContext(doc);
  if (xp == nullptr) {
    throw XmlError("No hay memoria para evaluar la ruta XML '" + utf8 + "'");
  }
  std::string message;
  xp->node = context;
  xp->userData = &message;
  xp->error = [](void* data, xmlErrorPtr error) {
    auto* m = static_cast<std::string*>(data);
    if (error != nullptr && m->empty()) {
      *m = Clean(error->message);
    }
  };
  xmlXPathObjectPtr result = nullptr;
  {
    QuietGenericErrors quiet(message);
    result = xmlXPathEvalExpression(Xml(utf8), xp);
  }
  xmlXPathFreeContext(xp);
  if (result == nullptr) {
    throw XmlError("La ruta XML '" + utf8 + "' no es válida" +
                   (message.empty() ? std::string() : ": " + message));
  }
  if (result->type != XPATH_NODESET) {
    xmlXPathFreeObject(result);
    throw XmlError("La ruta XML '" + utf8 + "' no selecciona nodos");
  }
  std::vector<xmlNodePtr> nodes;
  // An empty match may come without any node set at all.
  if (xmlNodeSetPtr set = result->nodesetval; set != nullptr) {
    nodes.reserve(static_cast<size_t>(std::max(set->nodeNr, 0)));
    for (int i = 0; i < set->nodeNr; ++i) {
      xmlNodePtr n = set->nodeTab[i];
      // Namespace nodes in a result are copies owned by the result.
      if (n != nullptr && n->type != XML_NAMESPACE_DECL) {
        nodes.push_back(n);
      }
    }
  }
  xmlXPathFreeObject(result);
  return nodes;
}

xmlNodePtr AsNode(xmlDocPtr doc) {
  return reinterpret_cast<xmlNodePtr>(doc);
}

// Checks shared by both AppendChild; `parent` is an element or the document.
void Append(XmlDocumentData& data, xmlNodePtr parent, xmlNodePtr child) {
  if (!IsContainer(parent)) {
    throw XmlError("Solo un elemento o el documento pueden recibir nodos hijos");
  }
  if (!IsMovable(child)) {
    throw XmlError("Ese tipo de nodo no puede añadirse como hijo");
  }
  for (xmlNodePtr p = parent; p != nullptr; p = p->parent) {
    if (p == child) {
      throw XmlError("Un nodo no puede añadirse dentro de sí mismo");
    }
  }
  if (parent->type == XML_DOCUMENT_NODE && child->type == XML_ELEMENT_NODE) {
    xmlNodePtr root = xmlDocGetRootElement(data.doc);
    if (root != nullptr && root != child) {
      throw XmlError("El documento XML ya tiene un elemento raíz");
    }
  }
  if (parent->type == XML_DOCUMENT_NODE &&
      (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE)) {
    throw XmlError("El documento XML no puede contener texto fuera del elemento raíz");
  }
  xmlUnlinkNode(child);
  LinkLast(parent, child);
}

void Remove(XmlDocumentData& data, xmlNodePtr parent, xmlNodePtr child) {
  if (child->parent != parent || child->type == XML_ATTRIBUTE_NODE) {
    throw XmlError("El nodo que se quiere quitar no es hijo de ese nodo");
  }
  xmlUnlinkNode(child);
  data.detached.push_back(child);
}

}  // namespace

// ---- XmlNode ------------------------------------------------------------

namespace {
xmlNodePtr N(void* p) {
  return static_cast<xmlNodePtr>(p);
}

void Require(const void* node, const char* operation) {
  if (node == nullptr) {
    throw XmlError(std::string("Operación XML '") + operation + "' sobre un nodo vacío");
  }
}
}  // namespace

std::string XmlNode::Name() const {
  if (node_ == nullptr) {
    return {};
  }
  xmlNodePtr n = N(node_);
  switch (n->type) {
    case XML_TEXT_NODE:
      return "#text";
    case XML_CDATA_SECTION_NODE:
      return "#cdata-section";
    case XML_COMMENT_NODE:
      return "#comment";
    case XML_DOCUMENT_NODE:
      return "#document";
    default:
      break;
  }
  std::string name;
  if ((n->type == XML_ELEMENT_NODE || n->type == XML_ATTRIBUTE_NODE) && n->ns != nullptr &&
      n->ns->prefix != nullptr) {
    name = reinterpret_cast<const char*>(n->ns->prefix);
    name += ':';
  }
  if (n->name != nullptr) {
    name += reinterpret_cast<const char*>(n->name);
  }
  return Utf8To1252(name);
}

std::string XmlNode::Text() const {
  if (node_ == nullptr) {
    return {};
  }
  xmlChar* content = xmlNodeGetContent(N(node_));
  std::string text = FromXml(content);
  xmlFree(content);
  return text;
}

void XmlNode::SetText(std::string_view text) {
  Require(node_, "text");
  xmlNodePtr n = N(node_);
  const std::string utf8 = Cp1252ToUtf8(text);
  switch (n->type) {
    case XML_ELEMENT_NODE: {
      // The old children go out of the tree but stay alive for any handle.
      while (xmlNodePtr c = n->children) {
        xmlUnlinkNode(c);
        doc_->detached.push_back(c);
      }
      if (!utf8.empty()) {
        xmlNodePtr t = xmlNewDocTextLen(doc_->doc, Xml(utf8), static_cast<int>(utf8.size()));
        if (t == nullptr) {
          throw XmlError("No hay memoria para el texto del elemento XML");
        }
        LinkLast(n, t);
      }
      break;
    }
    case XML_ATTRIBUTE_NODE:
      if (n->parent == nullptr ||
          xmlSetNsProp(n->parent, n->ns, n->name, Xml(utf8)) != reinterpret_cast<xmlAttrPtr>(n)) {
        throw XmlError("No se pudo cambiar el valor del atributo XML");
      }
      break;
    case XML_TEXT_NODE:
    case XML_CDATA_SECTION_NODE:
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
      xmlNodeSetContentLen(n, Xml(utf8), static_cast<int>(utf8.size()));
      break;
    default:
      throw XmlError("Ese nodo XML no admite texto");
  }
}

void XmlNode::SetAttribute(std::string_view name, std::string_view value) {
  Require(node_, "setAttribute");
  xmlNodePtr n = N(node_);
  if (n->type != XML_ELEMENT_NODE) {
    throw XmlError("Solo un elemento XML tiene atributos");
  }
  const std::string utf8Name = Utf8Name(name, "un atributo");
  // xmlSetProp replaces an existing attribute's value in place, so an
  // attribute keeps the position where it was first set.
  if (xmlSetProp(n, Xml(utf8Name), Xml(Cp1252ToUtf8(value))) == nullptr) {
    throw XmlError("No se pudo poner el atributo XML '" + utf8Name + "'");
  }
}

void XmlNode::SetAttribute(std::string_view name, int64_t value) {
  SetAttribute(name, std::to_string(value));
}

std::string XmlNode::Attribute(std::string_view name) const {
  if (node_ == nullptr || N(node_)->type != XML_ELEMENT_NODE) {
    return {};
  }
  xmlChar* value = xmlGetProp(N(node_), Xml(Cp1252ToUtf8(name)));
  std::string text = FromXml(value);
  xmlFree(value);
  return text;
}

XmlNodeList XmlNode::SelectNodes(std::string_view xpath) const {
  Require(node_, "selectNodes");
  XmlNodeList list;
  std::vector<xmlNodePtr> found = Evaluate(doc_->doc, N(node_), xpath);
  list.nodes_.assign(found.begin(), found.end());
  list.doc_ = doc_;
  return list;
}

XmlNode XmlNode::SelectSingleNode(std::string_view xpath) const {
  return SelectNodes(xpath).Item(0);
}

XmlNode XmlNode::FirstChild() const {
  if (node_ == nullptr || !IsContainer(N(node_)) || N(node_)->children == nullptr) {
    return {};
  }
  return XmlNode(N(node_)->children, doc_);
}

void XmlNode::AppendChild(XmlNode child) {
  Require(node_, "appendChild");
  Require(child.node_, "appendChild");
  if (child.doc_ != doc_) {
    throw XmlError("El nodo que se quiere añadir pertenece a otro documento XML");
  }
  Append(*doc_, N(node_), N(child.node_));
}

void XmlNode::RemoveChild(XmlNode child) {
  Require(node_, "removeChild");
  Require(child.node_, "removeChild");
  if (child.doc_ != doc_) {
    throw XmlError("El nodo que se quiere quitar pertenece a otro documento XML");
  }
  Remove(*doc_, N(node_), N(child.node_));
}

// ---- XmlNodeList --------------------------------------------------------

XmlNode XmlNodeList::Item(size_t index) const {
  if (index >= nodes_.size()) {
    return {};
  }
  return XmlNode(nodes_[index], doc_);
}

// ---- XmlDocument --------------------------------------------------------

XmlDocument::XmlDocument() : data_(std::make_shared<XmlDocumentData>()) {}

XmlDocument::~XmlDocument() = default;

bool XmlDocument::Load(const std::filesystem::path& file) {
  std::string bytes;
  try {
    bytes = ReadWholeFile(file);
  } catch (const FileError& e) {
    data_ = std::make_shared<XmlDocumentData>();
    data_->loadError = e.what();
    return false;
  }
  std::string error;
  xmlDocPtr doc = Parse(bytes, file.c_str(), error);
  // A new document: handles into the old one keep it alive on their own.
  data_ = std::make_shared<XmlDocumentData>();
  if (doc == nullptr) {
    data_->loadError = file.string() + ": " + error;
    return false;
  }
  xmlFreeDoc(data_->doc);
  data_->doc = doc;
  return true;
}

bool XmlDocument::LoadFromMemory(std::string_view bytes) {
  std::string error;
  xmlDocPtr doc = Parse(bytes, nullptr, error);
  data_ = std::make_shared<XmlDocumentData>();
  if (doc == nullptr) {
    data_->loadError = error;
    return false;
  }
  xmlFreeDoc(data_->doc);
  data_->doc = doc;
  return true;
}

const std::string& XmlDocument::LoadError() const {
  return data_->loadError;
}

XmlNode XmlDocument::DocumentElement() const {
  xmlNodePtr root = xmlDocGetRootElement(data_->doc);
  return root == nullptr ? XmlNode() : XmlNode(root, data_);
}

XmlNodeList XmlDocument::SelectNodes(std::string_view xpath) const {
  XmlNodeList list;
  std::vector<xmlNodePtr> found = Evaluate(data_->doc, AsNode(data_->doc), xpath);
  list.nodes_.assign(found.begin(), found.end());
  list.doc_ = data_;
  return list;
}

XmlNode XmlDocument::SelectSingleNode(std::string_view xpath) const {
  return SelectNodes(xpath).Item(0);
}

XmlNode XmlDocument::FirstChild() const {
  xmlNodePtr first = data_->doc->children;
  return first == nullptr ? XmlNode() : XmlNode(first, data_);
}

XmlNode XmlDocument::CreateElement(std::string_view name) {
  const std::string utf8 = Utf8Name(name, "un elemento");
  xmlNodePtr n = xmlNewDocNode(data_->doc, nullptr, Xml(utf8), nullptr);
  if (n == nullptr) {
    throw XmlError("No hay memoria para crear el elemento XML '" + utf8 + "'");
  }
  data_->detached.push_back(n);
  return XmlNode(n, data_);
}

XmlNode XmlDocument::CreateNode(int type, std::string_view name, std::string_view namespaceUri) {
  if (type != XML_ELEMENT_NODE) {
    throw XmlError("Solo se pueden crear nodos XML de tipo elemento (1), no de tipo " +
                   std::to_string(type));
  }
  if (!namespaceUri.empty()) {
    throw XmlError("No se admiten espacios de nombres XML ('" + Cp1252ToUtf8(namespaceUri) + "')");
  }
  return CreateElement(name);
}

void XmlDocument::AppendChild(XmlNode child) {
  Require(child.node_, "appendChild");
  if (child.doc_ != data_) {
    throw XmlError("El nodo que se quiere añadir pertenece a otro documento XML");
  }
  Append(*data_, AsNode(data_->doc), N(child.node_));
}

void XmlDocument::RemoveChild(XmlNode child) {
  Require(child.node_, "removeChild");
  if (child.doc_ != data_) {
    throw XmlError("El nodo que se quiere quitar pertenece a otro documento XML");
  }
  Remove(*data_, AsNode(data_->doc), N(child.node_));
}

std::string XmlDocument::Serialize() const {
  // The document's own encoding, as its declaration named it; UTF-8, named
  // in a declaration, for a document that had none.
  const char* encoding = data_->doc->encoding != nullptr
                             ? reinterpret_cast<const char*>(data_->doc->encoding)
                             : "UTF-8";
  xmlChar* bytes = nullptr;
  int size = 0;
  std::string problem;
  {
    QuietGenericErrors quiet(problem);
    // Format 0: the layout is the serializer's; no whitespace is added.
    xmlDocDumpFormatMemoryEnc(data_->doc, &bytes, &size, encoding, 0);
  }
  if (bytes == nullptr || size < 0) {
    xmlFree(bytes);
    throw XmlError(std::string("No se pudo escribir el documento XML en la codificación ") +
                   encoding + (problem.empty() ? std::string() : " (" + problem + ")"));
  }
  std::string out(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
  xmlFree(bytes);
  // The serializer writes what the encoding cannot hold as character
  // references, which is right in text and attribute values but not in a
  // name or a comment, and it writes control characters XML does not allow
  // the same way. Rather than write a file nobody can read, check that the
  // bytes load again.
  // A document without a root is only its declaration: nothing to check.
  std::string error;
  if (xmlDocGetRootElement(data_->doc) == nullptr) {
    return out;
  }
  if (xmlDocPtr again = Parse(out, nullptr, error)) {
    xmlFreeDoc(again);
  } else {
    throw XmlError(std::string("El documento XML no puede escribirse en la codificación ") +
                   encoding + ": " + error);
  }
  return out;
}

void XmlDocument::Save(const std::filesystem::path& file) const {
  std::string bytes;
  try {
    bytes = Serialize();
  } catch (const XmlError& e) {
    throw XmlError(std::string("No se pudo guardar ") + file.string() + ": " + e.what(),
                   ErrorPlace{file.string(), {}, -1, {}});
  }
  try {
    WriteFileAtomically(file, bytes);
  } catch (const FileError& e) {
    throw XmlError(e.what(), e.place());
  }
}

}  // namespace trasvelo::platform
