// Reading a plug-in's declarations line by line: block headers and ends,
// member lines, and the member grammar Name[(parameters)][As Type].
#include "plugin_decls.h"
#include <cctype>

namespace basc {

namespace {

struct Token {
  std::string text; // a name, or one of ( ) ,
  size_t at = 0;    // its offset in the line
};

bool same(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); i++)
    if (std::toupper((unsigned char)a[i]) != std::toupper((unsigned char)b[i])) return false;
  return true;
}

bool is_name(const std::string &t) {
  return !t.empty() && (std::isalpha((unsigned char)t[0]) || t[0] == '_');
}

// The line's tokens up to a comment ("'" or "//"). False with a message at
// a character that starts no token.
bool tokens(std::string_view line, std::vector<Token> *out, std::string *error) {
  for (size_t i = 0; i < line.size();) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      i++;
    } else if (c == '\'' || (c == '/' && i + 1 < line.size() && line[i + 1] == '/')) {
      break;
    } else if (c == '(' || c == ')' || c == ',') {
      out->push_back({std::string(1, c), i});
      i++;
    } else if (std::isalpha((unsigned char)c) || c == '_') {
      size_t start = i;
      while (i < line.size() && (std::isalnum((unsigned char)line[i]) || line[i] == '_')) i++;
      out->push_back({std::string(line.substr(start, i - start)), start});
    } else {
      *error = std::string("unexpected character '") + c + "'";
      return false;
    }
  }
  return true;
}

struct Reader {
  std::vector<Token> t;
  std::string_view line;
  size_t i = 0;
  std::string *error;

  bool at_end() const { return i >= t.size(); }
  bool is(std::string_view word) const { return !at_end() && same(t[i].text, word); }
  bool take(std::string_view word) {
    if (!is(word)) return false;
    i++;
    return true;
  }
  bool fail(const std::string &message) {
    *error = message;
    return false;
  }
  bool name(std::string *out, const char *what) {
    if (at_end() || !is_name(t[i].text))
      return fail(std::string("expected ") + what +
                  (at_end() ? " at the end" : ", not '" + t[i].text + "'"));
    *out = t[i++].text;
    return true;
  }
  bool type(std::string *out) {
    if (!take("As"))
      return fail(at_end() ? "expected As and a type" : "expected As, not '" + t[i].text + "'");
    return name(out, "a type name");
  }
  bool param(PluginParam *p) {
    if (!take("ByVal") && take("ByRef")) p->byRef = true;
    if (!name(&p->name, "a parameter name")) return false;
    if (take("(")) {
      if (!take(")")) return fail("an array parameter is written name() As Type");
      p->array = true;
    }
    return type(&p->type);
  }
  // Name[(parameters)][As Type] up to the end of the line.
  bool member(PluginMember *m) {
    if (!name(&m->name, "a member name")) return false;
    if (take("(")) {
      size_t open = t[i - 1].at + 1;
      if (!take(")")) {
        do {
          if (m->params.size() == kMaxPluginParams)
            return fail("more than " + std::to_string(kMaxPluginParams) + " parameters");
          PluginParam p;
          if (!param(&p)) return false;
          m->params.push_back(p);
        } while (take(","));
        if (!take(")"))
          return fail(at_end() ? "expected ) at the end"
                               : "expected , or ), not '" + t[i].text + "'");
      }
      m->paramText = std::string(line.substr(open, t[i - 1].at - open));
      while (!m->paramText.empty() && m->paramText.back() == ' ') m->paramText.pop_back();
      while (!m->paramText.empty() && m->paramText.front() == ' ') m->paramText.erase(0, 1);
    }
    if (!at_end() && !type(&m->result)) return false;
    if (!at_end()) return fail("unexpected '" + t[i].text + "' after the declaration");
    return true;
  }
  bool names(std::vector<std::string> *out) {
    do {
      std::string n;
      if (!name(&n, "an interface name")) return false;
      out->push_back(n);
    } while (take(","));
    return true;
  }
};

const char *kind_word(PluginClassDecl::Kind k) {
  return k == PluginClassDecl::Class     ? "Class"
         : k == PluginClassDecl::Control ? "Control"
                                         : "Interface";
}

} // namespace

bool parse_member_declaration(std::string_view text, PluginMember *out, std::string *error) {
  Reader r{{}, text, 0, error};
  if (!tokens(text, &r.t, error)) return false;
  *out = PluginMember{};
  return r.member(out);
}

bool parse_plugin_declarations(std::string_view text, PluginDeclarations *out, std::string *error) {
  *out = PluginDeclarations{};
  PluginClassDecl *open = nullptr;
  int number = 0;
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    number++;
    std::string why;
    Reader r{{}, line, 0, &why};
    auto fault = [&] {
      *error = "line " + std::to_string(number) + ": " + why;
      return false;
    };
    if (!tokens(line, &r.t, &why)) return fault();
    if (r.at_end()) continue;
    if (r.take("End")) {
      if (!open) return why = "End without a Class, Control or Interface", fault();
      if (!r.take(kind_word(open->kind)))
        return why = std::string("expected End ") + kind_word(open->kind), fault();
      if (!r.at_end()) return why = "unexpected '" + r.t[r.i].text + "'", fault();
      open = nullptr;
      continue;
    }
    bool readOnly = r.take("ReadOnly"), assignable = !readOnly && r.take("Assignable");
    PluginClassDecl::Kind kind = PluginClassDecl::Class;
    bool block = r.is("Class") || r.is("Control") || r.is("Interface");
    if (block) {
      kind = r.is("Class")     ? PluginClassDecl::Class
             : r.is("Control") ? PluginClassDecl::Control
                               : PluginClassDecl::Interface;
      if (readOnly || assignable) return why = "ReadOnly and Assignable mark members", fault();
      if (open) return why = std::string("End ") + kind_word(open->kind) + " is missing", fault();
      r.i++;
      PluginClassDecl c;
      c.kind = kind;
      c.line = number;
      if (!r.name(&c.name, "a class name")) return fault();
      if (kind == PluginClassDecl::Class && r.take("Inherits") &&
          !r.name(&c.super, "a superclass name"))
        return fault();
      if (kind != PluginClassDecl::Interface && r.take("Implements") && !r.names(&c.interfaces))
        return fault();
      if (!r.at_end()) return why = "unexpected '" + r.t[r.i].text + "'", fault();
      out->classes.push_back(std::move(c));
      open = &out->classes.back();
      continue;
    }
    PluginMember m;
    m.line = number;
    m.readOnly = readOnly;
    m.assignable = assignable;
    if (r.take("Property")) {
      if (assignable) return why = "only a method is Assignable", fault();
      if (!open || open->kind == PluginClassDecl::Interface)
        return why = "a property belongs in a Class or Control", fault();
      if (!r.member(&m)) return fault();
      if (!m.params.empty() || !m.paramText.empty() || m.result.empty())
        return why = "a property is written Name As Type", fault();
      open->properties.push_back(std::move(m));
    } else if (r.take("Method")) {
      if (readOnly) return why = "only a property is ReadOnly", fault();
      if (!r.member(&m)) return fault();
      if (!open && assignable) return why = "a global method has no assignment form", fault();
      if (open && open->kind == PluginClassDecl::Interface && assignable)
        return why = "an interface method has no assignment form", fault();
      (open ? open->methods : out->methods).push_back(std::move(m));
    } else if (r.take("Event")) {
      if (readOnly || assignable)
        return why = "ReadOnly and Assignable mark properties and methods", fault();
      if (!open || open->kind == PluginClassDecl::Interface)
        return why = "an event belongs in a Class or Control", fault();
      if (!r.member(&m)) return fault();
      open->events.push_back(std::move(m));
    } else {
      return why = (r.at_end()
                        ? std::string("expected Property, Method or Event")
                        : "expected Class, Control, Interface, Property, Method or Event, not '" +
                              r.t[r.i].text + "'"),
             fault();
    }
  }
  if (open) {
    *error = "line " + std::to_string(open->line) + ": " + kind_word(open->kind) + " " +
             open->name + " has no End " + kind_word(open->kind);
    return false;
  }
  return true;
}

} // namespace basc
