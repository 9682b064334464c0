// The administrative templates in policy/ (Tarnavel.admx and its en-US
// strings): every value a policy writes is a setting the program reads, in a
// form it takes, and every string the templates use is defined.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Policies.h"

namespace tarnavel::testing {
namespace {

using platform::PolicyValue;
using Kind = PolicyValue::Kind;

constexpr std::string_view kPolicyKey = R"(Software\Policies\Kestrine\Tarnavel)";

// --- a small XML reader: elements, attributes, text; comments and the
// declaration skipped. Enough for the templates, and strict about their form.

struct Node {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;
  std::vector<Node> children;
  std::string text;

  const std::string* attribute(std::string_view key) const {
    for (const auto& [k, v] : attributes) {
      if (k == key) return &v;
    }
    return nullptr;
  }
  std::string get(std::string_view key, std::string fallback = "") const {
    const std::string* v = attribute(key);
    return v ? *v : fallback;
  }
  const Node* child(std::string_view tag) const {
    for (const auto& c : children) {
      if (c.name == tag) return &c;
    }
    return nullptr;
  }
};

class XmlReader {
 public:
  explicit XmlReader(std::string text) : s_(std::move(text)) {}

  Node document() {
    skipMisc();
    Node root = element();
    skipMisc();
    if (i_ != s_.size()) fail("text after the root element");
    return root;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error(what + " at offset " + std::to_string(i_));
  }
  bool at(std::string_view token) const { return s_.compare(i_, token.size(), token) == 0; }
  void skipBlanks() {
    while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_])))
      ++i_;
  }
  void skipPast(std::string_view end) {
    const auto found = s_.find(end, i_);
    if (found == std::string::npos) fail("no closing " + std::string(end));
    i_ = found + end.size();
  }
  void skipMisc() {
    for (skipBlanks(); at("<?") || at("<!--"); skipBlanks())
      skipPast(at("<?") ? "?>" : "-->");
  }
  std::string name() {
    const auto start = i_;
    while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == ':' ||
                              s_[i_] == '_' || s_[i_] == '-' || s_[i_] == '.'))
      ++i_;
    if (start == i_) fail("a name expected");
    return s_.substr(start, i_ - start);
  }
  static std::string decode(std::string_view raw) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < raw.size();) {
      bool done = false;
      for (const auto& [entity, c] : kEntities) {
        if (raw.substr(i, entity.size()) == entity) {
          out += c;
          i += entity.size();
          done = true;
          break;
        }
      }
      if (done) continue;
      if (raw[i] == '&') throw std::runtime_error("an unknown entity in " + std::string(raw));
      out += raw[i++];
    }
    return out;
  }
  Node element() {
    if (!at("<")) fail("an element expected");
    ++i_;
    Node node;
    node.name = name();
    for (;;) {
      skipBlanks();
      if (at("/>")) {
        i_ += 2;
        return node;
      }
      if (at(">")) break;
      std::string key = name();
      skipBlanks();
      if (!at("=")) fail("= expected after " + key);
      ++i_;
      skipBlanks();
      if (i_ >= s_.size() || (s_[i_] != '"' && s_[i_] != '\'')) fail("a quoted value expected");
      const char quote = s_[i_++];
      const auto end = s_.find(quote, i_);
      if (end == std::string::npos) fail("an unclosed value");
      if (node.attribute(key)) fail("the attribute " + key + " twice");
      node.attributes.emplace_back(std::move(key), decode(s_.substr(i_, end - i_)));
      i_ = end + 1;
    }
    ++i_;
    for (;;) {
      if (at("<!--")) {
        skipPast("-->");
      } else if (at("</")) {
        i_ += 2;
        if (name() != node.name) fail("</" + node.name + "> expected");
        skipBlanks();
        if (!at(">")) fail("> expected");
        ++i_;
        return node;
      } else if (at("<")) {
        node.children.push_back(element());
      } else {
        const auto end = s_.find('<', i_);
        if (end == std::string::npos) fail("<" + node.name + "> is not closed");
        node.text += decode(std::string_view(s_).substr(i_, end - i_));
        i_ = end;
      }
    }
  }

  std::string s_;
  std::size_t i_ = 0;
};

Node readXml(const std::string& relative) {
  const std::string path = std::string(TARNAVEL_SOURCE_DIR) + "/" + relative;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + path);
  return XmlReader(std::string(std::istreambuf_iterator<char>(in), {})).document();
}

// --- what the policies write ------------------------------------------------

struct Written {
  std::string policy;  // the policy's name, to say where
  std::string key;
  std::string name;
  PolicyValue value;
};

struct Templates {
  Node admx;
  Node adml;
  const Node& policies() const { return *admx.child("policies"); }
  const Node* presentation(const std::string& id) const {
    for (const auto& p : adml.child("resources")->child("presentationTable")->children) {
      if (p.get("id") == id) return &p;
    }
    return nullptr;
  }
};

const Templates& templates() {
  static const Templates t{readXml("policy/Tarnavel.admx"), readXml("policy/en-US/Tarnavel.adml")};
  return t;
}

// A <value> (or <enabledValue>...) element: a string, a number, or a delete.
PolicyValue valueOf(const Node& value) {
  if (const Node* text = value.child("string")) return {Kind::Text, text->text, 0};
  if (const Node* number = value.child("decimal")) {
    return {Kind::Number, "", static_cast<std::uint32_t>(std::stoul(number->get("value")))};
  }
  if (value.child("delete")) return {};
  ADD_FAILURE() << "a value of an unknown kind in <" << value.name << ">";
  return {Kind::Other, "", 0};
}

// The id of the presentation a policy names ("$(presentation.X)" gives X).
std::string presentationId(const Node& policy) {
  const std::string ref = policy.get("presentation");
  constexpr std::string_view kPrefix = "$(presentation.";
  if (ref.rfind(kPrefix, 0) != 0 || ref.back() != ')') return "";
  return ref.substr(kPrefix.size(), ref.size() - kPrefix.size() - 1);
}

// The control of a policy's presentation that shows the element id.
const Node* control(const Node& policy, const std::string& id) {
  const Node* presentation = templates().presentation(presentationId(policy));
  if (!presentation) return nullptr;
  for (const auto& c : presentation->children) {
    if (c.get("refId") == id) return &c;
  }
  return nullptr;
}

// Every value each policy writes when enabled or disabled, with every choice
// of its enumerations, the bounds of its numbers (as text and as numbers) and
// the sample text its presentation offers for its texts. Lists are left out.
std::vector<Written> everyValueWritten() {
  std::vector<Written> out;
  for (const auto& policy : templates().policies().children) {
    const std::string name = policy.get("name");
    const std::string policyKey = policy.get("key");
    const auto add = [&](const std::string& key, const std::string& valueName, PolicyValue v) {
      out.push_back({name, key, valueName, std::move(v)});
    };
    for (const char* tag : {"enabledValue", "disabledValue"}) {
      if (const Node* v = policy.child(tag)) add(policyKey, policy.get("valueName"), valueOf(*v));
    }
    for (const char* tag : {"enabledList", "disabledList"}) {
      if (const Node* list = policy.child(tag)) {
        for (const auto& item : list->children)
          add(item.get("key", list->get("defaultKey", policyKey)), item.get("valueName"),
              valueOf(*item.child("value")));
      }
    }
    const Node* elements = policy.child("elements");
    if (!elements) continue;
    for (const auto& e : elements->children) {
      const std::string key = e.get("key", policyKey);
      const std::string valueName = e.get("valueName");
      if (e.name == "enum") {
        for (const auto& item : e.children) {
          add(key, valueName, valueOf(*item.child("value")));
          if (const Node* list = item.child("valueList")) {
            for (const auto& v : list->children)
              add(v.get("key", list->get("defaultKey", key)), v.get("valueName"),
                  valueOf(*v.child("value")));
          }
        }
      } else if (e.name == "decimal") {
        // The editor's bounds when the element names none.
        for (const auto& bound : {e.get("minValue", "0"), e.get("maxValue", "9999")}) {
          add(key, valueName, {Kind::Text, bound, 0});
          add(key, valueName, {Kind::Number, "", static_cast<std::uint32_t>(std::stoul(bound))});
        }
      } else if (e.name == "text") {
        const Node* box = control(policy, e.get("id"));
        const Node* sample = box ? box->child("defaultValue") : nullptr;
        if (!sample) {
          ADD_FAILURE() << name << ": the text " << e.get("id") << " offers no sample";
          continue;
        }
        add(key, valueName, {Kind::Text, sample->text, 0});
      } else if (e.name == "boolean") {
        for (const char* tag : {"trueValue", "falseValue"}) {
          if (const Node* v = e.child(tag)) add(key, valueName, valueOf(*v));
        }
      } else if (e.name != "list") {
        ADD_FAILURE() << name << ": an element <" << e.name << "> this test does not know";
      }
    }
  }
  return out;
}

// A policy's elements; none when it has none.
const std::vector<Node>& elementsOf(const Node& policy) {
  static const std::vector<Node> kNone;
  const Node* elements = policy.child("elements");
  return elements ? elements->children : kNone;
}

const PolicySetting* setting(std::string_view name) {
  for (const auto& s : policySettings()) {
    if (s.name == name) return &s;
  }
  return nullptr;
}

// --- the tests ----------------------------------------------------------------

TEST(PolicyTemplates, EveryValueWrittenIsASettingUnderThePolicyKeyInAFormTheProgramTakes) {
  const TimeFormat formats[] = {{}, {"h:mm:ss tt", "AM", "PM"}};
  const auto written = everyValueWritten();
  ASSERT_FALSE(written.empty());
  for (const auto& w : written) {
    SCOPED_TRACE(w.policy + ": \"" + w.name + "\" = " +
                 (w.value.kind == Kind::Number ? std::to_string(w.value.number)
                                               : "\"" + w.value.text + "\""));
    EXPECT_EQ(w.key, kPolicyKey);
    const PolicySetting* s = setting(w.name);
    if (!s) {
      ADD_FAILURE() << "no setting of that name";
      continue;
    }
    if (w.value.kind == Kind::Absent) continue;  // a delete: the user's own setting applies
    for (const auto& format : formats)
      EXPECT_TRUE(policyText(s->form, w.value, format)) << "the program does not take it";
  }
}

TEST(PolicyTemplates, EverySettingHasAPolicy) {
  std::set<std::string, std::less<>> names;
  for (const auto& w : everyValueWritten())
    names.insert(w.name);
  for (const auto& s : policySettings())
    EXPECT_TRUE(names.contains(s.name)) << "no policy sets \"" << s.name << "\"";
}

// An option group's choice writes every option of the group, one of them
// "True": choosing another leaves none of the first one's behind.
TEST(PolicyTemplates, EachChoiceOfAnOptionGroupSetsTheWholeGroupWithOneOptionOn) {
  for (const auto& policy : templates().policies().children) {
    for (const auto& e : elementsOf(policy)) {
      if (e.name != "enum" || !e.children.front().child("valueList")) continue;
      std::set<std::string> first;
      for (const auto& item : e.children) {
        SCOPED_TRACE(policy.get("name") + ", " + item.get("displayName"));
        std::set<std::string> names{e.get("valueName")};
        int on = valueOf(*item.child("value")).text == "True";
        const Node* list = item.child("valueList");
        ASSERT_NE(list, nullptr) << "a choice that leaves the group's other options as they were";
        for (const auto& v : list->children) {
          EXPECT_TRUE(names.insert(v.get("valueName")).second) << v.get("valueName") << " twice";
          on += valueOf(*v.child("value")).text == "True";
        }
        EXPECT_EQ(on, 1);
        if (first.empty()) first = names;
        EXPECT_EQ(names, first);
      }
    }
  }
}

TEST(PolicyTemplates, EveryPolicyIsForTheMachineAndTheUserInTheCategoryTarnavel) {
  const Node* categories = templates().admx.child("categories");
  ASSERT_NE(categories, nullptr);
  ASSERT_NE(categories->child("category"), nullptr);
  EXPECT_EQ(categories->child("category")->get("name"), "Tarnavel");
  for (const auto& policy : templates().policies().children) {
    SCOPED_TRACE(policy.get("name"));
    EXPECT_EQ(policy.get("key"), kPolicyKey);
    EXPECT_EQ(policy.get("class"), "Both");
    ASSERT_NE(policy.child("parentCategory"), nullptr);
    EXPECT_EQ(policy.child("parentCategory")->get("ref"), "Tarnavel");
    // Each element shows in the policy's presentation.
    for (const auto& e : elementsOf(policy))
      EXPECT_NE(control(policy, e.get("id")), nullptr) << "nothing shows " << e.get("id");
  }
}

TEST(PolicyTemplates, TheQueueIsAListNumberedFromOneInTheSubkeyQueue) {
  std::vector<const Node*> lists;
  for (const auto& policy : templates().policies().children) {
    for (const auto& e : elementsOf(policy)) {
      if (e.name == "list") lists.push_back(&e);
    }
  }
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0]->get("key"), std::string(kPolicyKey) + "\\Queue");
  // Without a prefix the values are named 1, 2, ...; without the attribute,
  // by the titles themselves.
  ASSERT_NE(lists[0]->attribute("valuePrefix"), nullptr);
  EXPECT_EQ(*lists[0]->attribute("valuePrefix"), "");
  EXPECT_NE(lists[0]->get("explicitValue"), "true");
  EXPECT_NE(lists[0]->get("expandable"), "true");
}

// Every attribute of the templates, at any depth.
void eachAttribute(const Node& node, const std::function<void(const std::string&)>& see) {
  for (const auto& [key, value] : node.attributes)
    see(value);
  for (const auto& c : node.children)
    eachAttribute(c, see);
}

TEST(PolicyTemplates, EveryStringAndPresentationUsedIsDefined) {
  const Node* resources = templates().adml.child("resources");
  ASSERT_NE(resources, nullptr);
  std::set<std::string, std::less<>> strings;
  for (const auto& s : resources->child("stringTable")->children) {
    EXPECT_TRUE(strings.insert(s.get("id")).second) << "the string " << s.get("id") << " twice";
  }
  int used = 0;
  eachAttribute(templates().admx, [&](const std::string& value) {
    for (const std::string_view kind : {"string", "presentation"}) {
      const std::string prefix = "$(" + std::string(kind) + ".";
      if (value.rfind(prefix, 0) != 0) continue;
      ++used;
      const std::string id = value.substr(prefix.size(), value.size() - prefix.size() - 1);
      const bool defined =
          kind == "string" ? strings.contains(id) : templates().presentation(id) != nullptr;
      EXPECT_TRUE(defined && value.back() == ')') << value << " is not defined";
    }
  });
  EXPECT_GT(used, 0);
}

}  // namespace
}  // namespace tarnavel::testing
