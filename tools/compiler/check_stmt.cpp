// Routines and statements: frame layout and the frame limit, then each
// statement, with For and Select Case rewritten over frame slots.
#include "checker.h"

namespace basc {

namespace {

const int32_t kMaxFrameStep = 4096;
const int32_t kOperandReserve = 64; /* the operands of binary operators waiting on the stack */

} // namespace

// ---- routines ----

// Frame layout: [ebp-4] exception slot, then the Try state when there is a
// Try, then locals and temporaries in the order the checker meets them.
int32_t Checker::frame_slot(const Type &t, bool release) {
  next -= type_size(t);
  if (release) r->refSlots.push_back({next, t});
  return next;
}

namespace {

int32_t count_trys(const Block &b) {
  int32_t n = 0;
  for (auto &s : b) {
    n += s->kind == SK::Try;
    n += count_trys(s->body) + count_trys(s->elseBody);
    for (auto &e : s->elseIfs) n += count_trys(e.second);
    for (auto &c : s->cases) n += count_trys(c.body);
    for (auto &c : s->catches) n += count_trys(c.body);
  }
  return n;
}

} // namespace

void Checker::routine(Routine &rt) {
  r = &rt;
  locals.clear();
  params.clear();
  consts.clear();
  classConsts.clear();
  for (ClassInfo *c = rt.owner; c; c = c->super) /* the nearest class's constant wins */
    if (c->decl)
      for (ConstDecl &k : c->decl->consts) classConsts.emplace(upper(k.name), k.value.get());
  loops.clear();
  next = -4; /* the exception slot */
  tryCount = tryCurrent = 0;
  if (count_trys(rt.body)) rt.tryStateOffset = next -= 4;
  int32_t argOffset = rt.owner ? 12 : 8; /* the receiving object comes first */
  for (Param &p : rt.params) {
    std::string u = upper(p.name);
    if (params.count(u)) error_at(p.loc, "parameter " + p.name + " is declared twice");
    p.type = param_type(p);
    if (p.byRef && rt.kind != RoutineKind::Sub && rt.kind != RoutineKind::Function &&
        rt.kind != RoutineKind::Handler) /* a handler's match its event's, checked when bound */
      error_at(p.loc, "only a Sub, a Function or a Handler takes ByRef parameters");
    p.offset = argOffset;
    argOffset += p.byRef ? 4 : type_size(p.type);
    params[u] = &p;
  }
  if (rt.result.kind != K::Void) rt.resultOffset = frame_slot(rt.result, false);
  pushed = mostPushed = 0;
  localUse.clear();
  size_t firstWarning = out.warnings.size();
  block(rt.body);
  warn_unused_locals();
  std::stable_sort(out.warnings.begin() + ptrdiff_t(firstWarning), out.warnings.end(),
                   [](const Warning &a, const Warning &b) {
                     return a.loc.line != b.loc.line ? a.loc.line < b.loc.line
                                                     : a.loc.col < b.loc.col;
                   });
  for (Param &p : rt.params)
    if (p.assigned) rt.refSlots.push_back({p.offset, p.type});
  rt.frameSize = -next;
  // The exception search takes a step of more than kMaxFrameStep bytes from
  // one frame to its caller's as a broken chain. The step from a callee into
  // this frame spans the callee's return address and saved EBP, the
  // arguments pushed for it and for the calls around it, operands waiting
  // on the stack, and this routine's locals.
  int32_t step = rt.frameSize + 8 + mostPushed + kOperandReserve;
  if (step > kMaxFrameStep)
    error_at(rt.loc, "routine " + rt.name + " needs a frame of " + std::to_string(step) +
                         " bytes; a frame may take at most " + std::to_string(kMaxFrameStep) +
                         " (use fewer or smaller locals)");
}

// ---- statements ----

void Checker::block(Block &b) {
  for (auto &s : b) stmt(*s);
  warn_unreachable(b);
}

void Checker::condition(NodeP &n) {
  expr(n);
  need_value(*n);
  if (n->type.kind != K::Boolean)
    error_at(n->loc, "a condition must be Boolean, not " + type_text(n->type));
}

void Checker::stmt(Stmt &s) {
  switch (s.kind) {
  case SK::Dim:
    return dim(s);
  case SK::Const: {
    const std::string &name = s.names[0].name;
    std::string u = upper(name);
    if (locals.count(u) || params.count(u) || consts.count(u))
      error_at(s.loc, name + " is declared twice");
    consts[u] = constant(name, s.typeRef, s.value);
    return;
  }
  case SK::Assign:
    return assign(s);
  case SK::Redim:
    return redim(s);
  case SK::Expr:
    expr(s.value);
    if (s.value->kind != NK::CallRoutine && s.value->kind != NK::CallMethod &&
        s.value->kind != NK::CallFunction && s.value->kind != NK::RaiseEvent &&
        s.value->kind != NK::ArrayOp)
      not_a_statement(s);
    return;
  case SK::If:
    condition(s.value);
    block(s.body);
    for (auto &e : s.elseIfs) {
      condition(e.first);
      block(e.second);
    }
    return block(s.elseBody);
  case SK::Select:
    return select_stmt(s);
  case SK::For:
    return for_stmt(s);
  case SK::While:
  case SK::Do:
    if (s.value) condition(s.value);
    loops.push_back(s.kind == SK::While ? "WHILE" : "DO");
    s.tryParent = tryCurrent;
    block(s.body);
    loops.pop_back();
    return;
  case SK::Exit: {
    std::string w = s.word;
    bool routineExit = w == "SUB" || w == "FUNCTION" || w == "HANDLER" || w == "MENUHANDLER";
    if (routineExit) return;
    if (loops.empty()) error_at(s.loc, "Exit outside a loop");
    if (w.empty()) s.word = w = loops.back();
    bool found = false;
    for (auto &l : loops) found |= l == w;
    if (!found) error_at(s.loc, "Exit " + w + " outside a " + w + " loop");
    return;
  }
  case SK::Return:
    if (r->result.kind == K::Void) {
      if (s.value) error_at(s.value->loc, "this routine returns no value");
      return;
    }
    if (!s.value) error_at(s.loc, "Return needs a value of type " + type_text(r->result));
    expr(s.value);
    return convert(s.value, r->result, "the result");
  case SK::Try:
    return try_stmt(s);
  case SK::Raise: {
    expr(s.value);
    ClassInfo *exc = classes.builtin("RuntimeException");
    if (s.value->type.kind != K::Object || !s.value->type.cls->derives_from(exc))
      error_at(s.value->loc, "Raise needs a RuntimeException, not " + type_text(s.value->type));
    return;
  }
  }
}

void Checker::dim(Stmt &s) {
  Type t = resolve_type(s.typeRef);
  if (s.dimNew) {
    if (t.kind != K::Object) error_at(s.typeRef.loc, "As New needs a class");
    s.value = make(NK::New, s.loc);
    s.value->typeRef = std::make_unique<TypeRef>(s.typeRef);
  }
  bool creates = s.value && s.value->kind == NK::New;
  if (s.value) {
    expr(s.value);
    convert(s.value, t, "the initial value");
  }
  for (size_t i = 0; i < s.names.size(); i++) {
    const std::string &n = s.names[i].name;
    std::string u = upper(n);
    if (locals.count(u) || params.count(u) || consts.count(u))
      error_at(s.loc, "variable " + n + " is declared twice");
    Type vt = s.names[i].shape.present ? dim_array(s, i, t) : t;
    Slot slot{Slot::Frame, frame_slot(vt, vt.is_ref()), vt};
    if (vt.is_array()) r->arraySlots.push_back({slot.offset, vt});
    locals[u] = slot;
    s.names[i].slot = slot;
    if (!creates) /* New: making the object (a window opens) may be the point */
      declare_local(n, s.names[i].loc);
  }
}

void Checker::assign(Stmt &s) {
  module_member(s.target);
  std::string written = s.target->kind == NK::Name ? s.target->text : "";
  if (s.target->kind == NK::Name) {
    std::string u = upper(s.target->text);
    if (!locals.count(u) && !params.count(u) &&
        (consts.count(u) || classConsts.count(u) || globalConsts.count(u)))
      error_at(s.target->loc, "cannot assign to constant " + s.target->text);
    auto it = params.find(upper(s.target->text));
    if (it != params.end() && it->second->type.is_ref() && !it->second->byRef)
      it->second->assigned = true;
  }
  if (s.target->kind == NK::Name || s.target->kind == NK::Member) s.target->forWrite = true;
  bool wasRead = false; /* x = value writes x; it does not read it */
  auto use = s.target->kind == NK::Name ? localUse.find(upper(s.target->text)) : localUse.end();
  if (use != localUse.end()) wasRead = use->second.read;
  expr(s.target);
  if (use != localUse.end()) use->second.read = wasRead;
  Node &t = *s.target;
  if (t.type.is_array())
    error_at(t.loc, "an array cannot be assigned; Redim it or assign its elements");
  switch (t.kind) {
  case NK::Var:
    if (t.slot.item)
      error_at(t.loc, "cannot assign to project item " + written +
                          "; it is made at start-up and kept for the whole run");
    break;
  case NK::Index:
    break;
  case NK::CallMethod: /* d.Value(k) = v: the method's assignment form */
    if (!*t.method->assignEntry)
      error_at(t.loc, std::string("method ") + t.method->name + " cannot be assigned");
    t.kind = NK::MethodAssign;
    if (t.lhs->kind == NK::ControlRef) t.lhs->forWrite = true, give_temp(*t.lhs);
    count_pushed(8 + 4 * int32_t(t.args.size()) + 8);
    break;
  case NK::Field:
    if (t.readOnly) error_at(t.loc, "the index of a control-array element cannot be assigned");
    break;
  case NK::PropGet:
    if (!*t.prop->setter)
      error_at(t.loc, std::string("property ") + t.prop->name + " is read-only");
    if (t.lhs->kind == NK::ControlRef) t.lhs->forWrite = true, give_temp(*t.lhs);
    break;
  default:
    error_at(t.loc, "cannot assign to this expression");
  }
  expr(s.value);
  if (s.value->type.is_array())
    error_at(s.value->loc, "cannot assign an array to a value of type " + type_text(t.type));
  convert(s.value, t.type, "the assigned value");
}

void Checker::for_stmt(Stmt &s) {
  std::string u = upper(s.target->text);
  if (!s.typeRef.name.empty()) {
    Type t = resolve_type(s.typeRef);
    if (locals.count(u) || params.count(u))
      error_at(s.loc, "variable " + s.target->text + " is declared twice");
    locals[u] = {Slot::Frame, frame_slot(t, false), t};
  }
  expr(s.target);
  if (s.target->kind != NK::Var || !(s.target->type.is_intlike() || s.target->type.is_float()))
    error_at(s.target->loc, "the loop variable must be a numeric variable");
  Type t = s.target->type;
  CheckedParts &parts = *(s.checked = std::make_unique<CheckedParts>());
  expr(s.value);
  convert(s.value, t, "the start value");
  expr(s.to);
  convert(s.to, t, "the end value");
  parts.limitSlot = {Slot::Frame, frame_slot(t, false), t};
  if (!s.step) {
    s.step = make(NK::IntLit, s.loc);
    s.step->ival = 1;
  }
  expr(s.step);
  convert(s.step, t, "the step");
  parts.stepSlot = {Slot::Frame, frame_slot(t, false), t};
  // (step >= 0 And var <= limit) Or (step < 0 And var >= limit); var = var + step
  auto var = [&](const Slot &slot) {
    NodeP v = make(NK::Var, s.loc);
    v->slot = slot;
    v->type = slot.type;
    return v;
  };
  auto cmp = [&](const char *op, NodeP a, NodeP b) {
    NodeP n = make(NK::Binary, s.loc);
    n->text = op;
    n->lhs = std::move(a);
    n->rhs = std::move(b);
    return n;
  };
  auto zero = [&] {
    NodeP z = make(NK::IntLit, s.loc);
    return z;
  };
  Slot v = s.target->slot;
  parts.loopTest = cmp(
      "OR",
      cmp("AND", cmp(">=", var(parts.stepSlot), zero()), cmp("<=", var(v), var(parts.limitSlot))),
      cmp("AND", cmp("<", var(parts.stepSlot), zero()), cmp(">=", var(v), var(parts.limitSlot))));
  expr(parts.loopTest);
  parts.loopIncr = cmp("+", var(v), var(parts.stepSlot));
  expr(parts.loopIncr);
  convert(parts.loopIncr, t, "the loop variable");
  s.tryParent = tryCurrent;
  loops.push_back("FOR");
  block(s.body);
  loops.pop_back();
}

// Case tests become Boolean expressions over a slot that holds the subject.
void Checker::select_stmt(Stmt &s) {
  expr(s.value);
  Type t = s.value->type;
  if (t.kind == K::Void) error_at(s.value->loc, "Select Case needs a value");
  CheckedParts &parts = *(s.checked = std::make_unique<CheckedParts>());
  parts.subjectSlot = {Slot::Frame, frame_slot(t, false), t};
  for (CaseClause &c : s.cases) {
    for (CaseClause::Test &test : c.tests) {
      Loc at = test.value->loc;
      auto subject = [&] {
        NodeP v = make(NK::Var, at);
        v->slot = parts.subjectSlot;
        v->type = t;
        return v;
      };
      auto compare = [&](const std::string &op, NodeP value) {
        NodeP b = make(NK::Binary, at);
        b->text = op;
        b->lhs = subject();
        b->rhs = std::move(value);
        return b;
      };
      NodeP testExpr;
      if (test.upper) {
        NodeP both = make(NK::Binary, at);
        both->text = "AND";
        both->lhs = compare(">=", std::move(test.value));
        both->rhs = compare("<=", std::move(test.upper));
        testExpr = std::move(both);
      } else {
        testExpr = compare(test.op.empty() ? "=" : test.op, std::move(test.value));
      }
      expr(testExpr);
      test.value = std::move(testExpr);
    }
    block(c.body);
  }
}

void Checker::try_stmt(Stmt &s) {
  s.tryId = ++tryCount;
  s.tryParent = tryCurrent;
  tryCurrent = s.tryId;
  block(s.body);
  s.tryEnd = tryCount;
  tryCurrent = s.tryParent;
  ClassInfo *exc = classes.builtin("RuntimeException");
  for (CatchClause &c : s.catches) {
    if (!c.var.empty()) {
      Type t = resolve_type(c.typeRef);
      if (t.kind != K::Object || !(t.cls->derives_from(exc) || t.cls->is_interface()))
        error_at(c.typeRef.loc, c.typeRef.name + " is not an exception class");
      c.cls = t.cls;
      std::string u = upper(c.var);
      if (params.count(u) || (locals.count(u) && !(locals[u].type == t)))
        error_at(c.loc, "variable " + c.var + " is already declared");
      if (!locals.count(u)) locals[u] = {Slot::Frame, frame_slot(t, true), t};
      c.slot = locals[u];
    }
    block(c.body);
  }
  r->tryCount = tryCount;
}

} // namespace basc
