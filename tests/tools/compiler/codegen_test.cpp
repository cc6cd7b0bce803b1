// Generated code as the runtime reads it: descriptors after calls, frame maps
// with their release entries, catch entries and their handler distance, nil
// tests, and the stack check.
#include "codebytes.h"
#include "descriptions.h"
#include "packed.h"
#include "parse.h"
#include "hex.h"
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

using namespace basc;

namespace {

TEST(Codegen, CallPushesItsArgumentAndIsFollowedByTheDescriptor) {
  img::Image im = build("Sub Main()\n  LineTrace \"x\"\nEnd Sub\n");
  std::vector<uint32_t> calls = sites(im, "lineTrace");
  ASSERT_EQ(calls.size(), 1u);
  /* mov eax, offset "x"; push eax; call lineTrace; EB 03 90 EB 00; add esp, 4 */
  long at = find(im.code1, "b8 ?? ?? ?? ?? 50 e8 ?? ?? ?? ?? eb 03 90 eb 00 83 c4 04");
  EXPECT_EQ(at + 6, long(calls[0]));
}

TEST(Codegen, FrameMapListsStringAndObjectLocals) {
  img::Image im = build("Sub Main()\n  Dim s As String\n  Dim n As Integer\n  Dim o As Object\n"
                        "  Dim d As Double\nEnd Sub\n");
  /* exception slot -4, s -8, n -12, o -16, d -24: four words zeroed by pushes... */
  EXPECT_EQ(find(im.code1, "55 89 e5 6a 00 6a 00 6a 00 6a 00 6a 00 6a 00"), 0);
  /* ...and the epilogue releases s and o, then leave; ret and the map */
  EXPECT_GE(find(im.code1, "ff 75 f8 e8 ?? ?? ?? ?? eb 03 90 eb 00 83 c4 04 "
                           "ff 75 f0 e8 ?? ?? ?? ?? eb 03 90 eb 00 83 c4 04 "
                           "c9 c3 2f 05 ff f8 06 ff f0 00"),
            0);
}

TEST(Codegen, NewReferenceIsExchangedIntoItsTemporaryAndTheOldOneReleased) {
  img::Image im = build("Sub Main()\n  LineTrace Str(1.5)\nEnd Sub\n");
  /* call StringStr; xchg [ebp-8], eax; push eax; call RuntimeUnlockString; mov eax, [ebp-8] */
  long at = find(im.code1, "87 45 f8 50 e8 ?? ?? ?? ?? eb 03 90 eb 00 83 c4 04 8b 45 f8");
  ASSERT_GE(at, 0);
  std::vector<uint32_t> unlocks = sites(im, "RuntimeUnlockString");
  EXPECT_NE(std::find(unlocks.begin(), unlocks.end(), uint32_t(at + 4)), unlocks.end());
}

TEST(Codegen, ReferenceIsTestedForNilBeforeUse) {
  img::Image im = build("Class A\n  Property N As Integer\nEnd Class\n"
                        "Sub Main()\n  Dim a As A\n  a.N = 7\nEnd Sub\n");
  /* test eax, eax; jne over the call; call RuntimeNilObject; descriptor */
  long at = find(im.code1, "85 c0 0f 85 0a 00 00 00 e8 ?? ?? ?? ?? eb 03 90 eb 00");
  ASSERT_GE(at, 0);
  EXPECT_EQ(sites(im, "RuntimeNilObject"), std::vector<uint32_t>{uint32_t(at + 8)});
  /* the field after the header and nothing else: offset 24 */
  EXPECT_GE(find(im.code1, "89 41 18", size_t(at)), 0);
}

TEST(Codegen, CatchEntryLeadsToTheDispatcher) {
  img::Image im = build("Sub Main()\n  Try\n    LineTrace \"x\"\n  Catch e As NilObjectException\n"
                        "    LineTrace \"y\"\n  End Try\nEnd Sub\n");
  long table = find(im.code1, "c9 c3 2f 04");
  ASSERT_GE(table, 0);
  const uint8_t *t = &im.code1[size_t(table) + 4];
  int32_t distance =
      int32_t(img::get_u32be(t + 2));            /* back to the dispatcher before the epilogue */
  size_t handler = size_t(table + 6 + distance); /* counted from the distance field */
  /* the dispatcher reads the Try state at [ebp-8] and tests for Try 1 */
  EXPECT_EQ(find(im.code1, "8b 45 f8 83 f8 01", handler), long(handler));
  /* the exception variable is released with the frame: object at -12 */
  EXPECT_EQ(to_hex(img::Bytes(t + 6, t + 10)), "06 ff f4 00");
  /* the re-raise past this frame carries the skip code 7 */
  EXPECT_GE(find(im.code1, "e8 ?? ?? ?? ?? eb 05 90 eb 07 90 00"), 0);
}

TEST(Codegen, StackCheckOpensHandlersAndMethodsButNotConstructors) {
  const char *source = "Class A Inherits Application\n  Property S As String\n"
                       "  Handler Open()\n  End Handler\n  Sub M()\n  End Sub\nEnd Class\n";
  EXPECT_EQ(sites(build(source, true), "RuntimeStackCheck").size(), 2u);
  EXPECT_TRUE(sites(build(source, false), "RuntimeStackCheck").empty());
}

// Timers made in code and modal windows call their runtime entries by name.
TEST(Codegen, TimersAndModalWindowsReachTheirEntries) {
  const char *source = "Class Ticker Inherits Timer\n  Handler Action()\n    Mode = 0\n"
                       "    Quit\n  End Handler\nEnd Class\n"
                       "Window Prompt\nEnd Window\n"
                       "Sub Main()\n  Dim t As New Timer\n  t.Mode = 2\n  t.Period = 100\n"
                       "  Dim k As Ticker = New Ticker\n  Dim d As New Prompt\n  d.ShowModal\n"
                       "End Sub\n";
  img::Image im = build(source);
  const std::pair<const char *, size_t> calls[] = {{"timerModeSetter", 2},
                                                   {"timerPeriodSetter", 1},
                                                   {"ApplicationQuit", 1},
                                                   {"RuntimeShowModal", 1}};
  for (auto [entry, count] : calls) EXPECT_EQ(sites(im, entry).size(), count) << entry;
}

// A call goes through the receiver's dispatch table only where a class below
// the reference's class overrides the method; the table itself is the
// superclass's with the override in its slot.
TEST(Codegen, OverriddenMethodsAreCalledThroughTheDispatchTable) {
  const char *classes = "Class A\n  Sub M()\n  End Sub\n  Sub N()\n  End Sub\nEnd Class\n"
                        "Class B Inherits A\n  Sub M()\n  End Sub\n  Sub O()\n  End Sub\n"
                        "End Class\n";
  struct {
    const char *call;
    size_t dispatched;
  } cases[] = {{"Dim a As A = New B\n  a.M()", 1}, /* B overrides M */
               {"Dim a As A = New B\n  a.N()", 0}, /* nothing overrides N */
               {"Dim b As New B\n  b.M()", 0},     /* no class below B */
               {"Dim b As New B\n  b.O()", 0}};
  for (auto &c : cases) {
    img::Image im = build(std::string(classes) + "Sub Main()\n  " + c.call + "\nEnd Sub\n");
    std::vector<uint32_t> lookups = sites(im, "FindVTableCode");
    ASSERT_EQ(lookups.size(), c.dispatched) << c.call;
    if (c.dispatched) {
      /* push 0 (slot of M); push eax; call; descriptor; add esp, 8; call eax; descriptor */
      EXPECT_EQ(
          find(im.code1, "6a 00 50 e8 ?? ?? ?? ?? eb 03 90 eb 00 83 c4 08 ff d0 eb 03 90 eb 00"),
          long(lookups[0]) - 3);
    }
  }
  Program prog;
  std::string file = "t.bas";
  parse(tokenize(&file, std::string(classes)), prog);
  Checked checked;
  check(prog, checked);
  ClassInfo *a = prog.classes[0]->info, *b = prog.classes[1]->info;
  ASSERT_EQ(a->dispatch.size(), 2u);
  ASSERT_EQ(b->dispatch.size(), 3u);
  EXPECT_EQ(b->dispatch[0], b->methods[0]);  /* B.M in A.M's slot */
  EXPECT_EQ(b->dispatch[1], a->dispatch[1]); /* A.N inherited */
  EXPECT_EQ(b->dispatch[2], b->methods[1]);  /* B.O appended */
}

// An image class's event has no record of its own: its handlers carry its
// number and RaiseEvent asks RuntimeFindHookCode for the nearest one.
TEST(Codegen, RaiseEventCallsTheHandlerFoundByTheEventNumber) {
  img::Image im = build("Class A\n  Event E(n As Integer)\n  Sub M()\n    RaiseEvent E(7)\n"
                        "  End Sub\nEnd Class\nClass B Inherits A\n  Handler E(n As Integer)\n"
                        "  End Handler\nEnd Class\n");
  std::vector<uint32_t> lookups = sites(im, "RuntimeFindHookCode");
  ASSERT_EQ(lookups.size(), 1u);
  /* push 7; mov eax, [ebp+8]; push eax; push 0x10000; push eax; call */
  EXPECT_EQ(find(im.code1, "b8 07 00 00 00 50 8b 45 08 50 68 00 00 01 00 50 e8"),
            long(lookups[0]) - 16);
  /* found: call eax; descriptor; jmp over the zero; xor eax, eax; add esp, 8 */
  EXPECT_EQ(find(im.code1, "85 c0 0f 84 ?? ?? ?? ?? ff d0 eb 03 90 eb 00 e9 02 00 00 00 31 c0 "
                           "83 c4 08"),
            long(lookups[0]) + 13);
  /* B's handler record: name "E", its routine, number 0x10000 */
  std::string data(im.data1.begin(), im.data1.end());
  EXPECT_NE(data.find(std::string("\x00\x00\x01\x00", 4)), std::string::npos);
}

// Index in a control-array element's handler is the element's position, kept
// at byte 20 of the control; elsewhere Index is the property at 36.
TEST(Codegen, ControlArrayHandlerReadsTheElementPositionAtOffset20) {
  const char *window = "Window W\n  Control B(0) As PushButton\n  End Control\n"
                       "  Control C As PushButton\n  End Control\n";
  img::Image array =
      build(std::string(window) + "  Handler B.Action()\n    LineTrace Str(Index)\n  End Handler\n"
                                  "End Window\n");
  /* mov eax, [ebp+8] (Self); nil test; mov eax, [eax+20] */
  EXPECT_GE(find(array.code1, "8b 45 08 85 c0 0f 85 0a 00 00 00 e8 ?? ?? ?? ?? eb 03 90 eb 00 "
                              "8b 40 14"),
            0);
  EXPECT_EQ(find(array.code1, "8b 40 24"), -1);
  img::Image single =
      build(std::string(window) + "  Handler C.Action()\n    LineTrace Str(Index)\n  End Handler\n"
                                  "End Window\n");
  EXPECT_GE(find(single.code1, "8b 40 24"), 0);
  EXPECT_EQ(find(single.code1, "8b 40 14"), -1);
}

// A window's right click opens its contextual menu, whose Action receives the
// row's text; screens, the keyboard and the mouse are globals of the language.
TEST(Codegen, ContextualMenuScreensKeyboardAndMouseBindTheirEntries) {
  img::Image im =
      build("Window W\n  Control Menu As ContextualMenu\n  End Control\n"
            "  Handler Open()\n    Menu.AddRow \"Copy\"\n    Menu.AddSeparator\n"
            "    Menu.ResetContent\n  End Handler\n"
            "  Handler MouseDown(X As Integer, Y As Integer) As Boolean\n"
            "    If IsContextualClick Then Menu.Open\n    Return True\n  End Handler\n"
            "  Handler Menu.Action(Item As String)\n    LineTrace Item + Menu.Text\n  End Handler\n"
            "End Window\n"
            "Sub Main()\n  Dim s As Screen = Screen(ScreenCount - 1)\n"
            "  LineTrace Str(s.Width + s.Depth)\n"
            "  If Keyboard.AsyncShiftKey Or Keyboard.AsyncKeyDown(49) Then LineTrace \"key\"\n"
            "  If System.MouseDown Then LineTrace Str(System.MouseX + System.MouseY)\n"
            "End Sub\n");
  for (const char *entry :
       {"contextualMenuAddRow", "contextualMenuAddSeparator", "contextualMenuResetContent",
        "contextualMenuOpen", "IsCMMClick", "stringGetter", "getScreen", "getScreenCount",
        "screenWidthGetter", "screenDepthGetter", "getKeyboardObject", "asyncModifierKeyGetter",
        "keyboardAsyncKeyDown", "getSystemObject", "getMouseDown", "getMouseX", "getMouseY"})
    EXPECT_FALSE(sites(im, entry).empty()) << entry;
}

// Sources are UTF-8; the image carries their texts in code page 932.
TEST(Codegen, Utf8TextsReachTheImageInShiftJis) {
  img::Image im = build("Window W\n  Title = \"\xE8\xA8\x88\xE7\xAE\x97\"\nEnd Window\n"
                        "Sub Main()\n  LineTrace \"\xE5\xAE\x9F\xE8\xA1\x8C\"\nEnd Sub\n");
  std::string data(im.data1.begin(), im.data1.end());
  EXPECT_NE(data.find("\x05Title\x04\x8C\x76\x8E\x5A"), std::string::npos); /* 計算 */
  EXPECT_NE(data.find("\x04\x8E\xC0\x8D\x73"), std::string::npos);          /* 実行 */
}

// Menu items are reached by name; property texts may join literals and Chr(n).
TEST(Codegen, MenuItemsByNameAndJoinedTexts) {
  img::Image im =
      build("MenuBar\n  Menu \"Other\"\n    Item About \"About\"\n  End Menu\nEnd MenuBar\n"
            "Window W\n  Title = \"A\" + Chr(13) + \"B\"\n"
            "  Handler EnableMenuItems()\n    About.Enabled = True\n  End Handler\n"
            "End Window\n");
  std::string imports(im.code2.begin(), im.code2.end());
  EXPECT_NE(imports.find("RuntimeMenuReference"), std::string::npos);
  std::string data(im.data1.begin(), im.data1.end());
  EXPECT_NE(data.find("\x05Title\x03"
                      "A\rB"),
            std::string::npos);
}

// A String kept in a built-in object's field is read as a new reference and
// written with the field's own reference, in place: no entry of that name exists.
TEST(Codegen, StringFieldPropertyIsCountedInPlace) {
  img::Image im = build("Sub Main()\n  Dim t As TextOutputStream\n  t.Delimiter = \"x\"\n"
                        "  LineTrace t.Delimiter\nEnd Sub\n");
  std::string imports(im.code2.begin(), im.code2.end());
  EXPECT_EQ(imports.find("fieldString"), std::string::npos);
  /* the write: xchg [ecx+28], eax, then the old value released */
  long write = find(im.code1, "87 41 1c 50 e8 ?? ?? ?? ?? eb 03 90 eb 00 83 c4 04");
  ASSERT_GE(write, 0);
  /* the read: mov eax, [eax+28]; push eax; call RuntimeLockString */
  long read = find(im.code1, "8b 40 1c 50 e8", size_t(write));
  ASSERT_GE(read, 0);
  std::vector<uint32_t> locks = sites(im, "RuntimeLockString");
  EXPECT_NE(std::find(locks.begin(), locks.end(), uint32_t(read + 4)), locks.end());
}

TEST(Codegen, DoubleOperationsAreRoundedThroughMemory) {
  img::Image im = build("Sub Main()\n  Dim a As Double\n  a = a * a\nEnd Sub\n");
  /* fmul qword [esp]; fstp qword [esp]; fld qword [esp]; add esp, 8 */
  EXPECT_GE(find(im.code1, "dc 0c 24 dd 1c 24 dd 04 24 83 c4 08"), 0);
}

TEST(Codegen, SingleIsRoundedOnStoreAndWidenedOnLoad) {
  img::Image im =
      build("Sub Main()\n  Dim s As Single\n  Dim d As Double\n  s = d\n  d = s\nEnd Sub\n");
  EXPECT_GE(find(im.code1, "dd 45 f0 d9 5d f8 d9 45 f8 dd 5d f0"), 0);
}

} // namespace

namespace {

// Decodes a description stream into "name=value" lines, one record per line.
std::string decode_window(const img::Bytes &b) {
  img::PackedReader in(b);
  std::string out;
  int32_t count, cls, controls, value;
  std::string name, text;
  auto pairs = [&](int32_t n) {
    for (int32_t i = 0; i < n && in.read_string(&name) && in.read_string(&text); i++)
      out += " " + name + "=" + text;
  };
  in.read_int(&count);
  in.read_int(&cls);
  out += "window class " + std::to_string(cls) + ":";
  pairs(count);
  in.read_int(&controls);
  for (int32_t k = 0; k < controls; k++) {
    in.read_int(&cls);
    in.read_int(&count);
    out += "\ncontrol class " + std::to_string(cls) + ":";
    pairs(count);
  }
  in.read_int(&value);
  out += "\nbindings " + std::to_string(value) + (in.at_end() ? "" : " (bytes left)");
  return out;
}

// Each construct reaches the runtime through its own entries: a table of
// sources and how many call sites each entry must have.
TEST(Codegen, ArrayVariantAndOverloadConstructsCallTheirEntries) {
  struct {
    const char *body;
    std::vector<std::pair<const char *, size_t>> calls;
  } const cases[] = {
      {"Dim a(9) As Integer\n  a(1) = a(2)\n",
       {{"RuntimeCreateArray", 1},
        {"RuntimeArrayCreateAddIndex", 1},
        {"RuntimeDirectWriteIntArray", 1},
        {"RuntimeDirectReadIntArray", 1}}},
      {"Dim m(2, 3, 4) As Double\n  m(0, 1, 2) = m(1, 1, 1) + 1\n",
       {{"RuntimeArrayCreateAddIndex", 3},
        {"RuntimeArrayStartReadAccess", 1},
        {"RuntimeArrayAddReadIndex", 1},
        {"RuntimeReadDoubleArray", 1},
        {"RuntimeArrayStartWriteAccess", 1},
        {"RuntimeArrayAddWriteIndex", 1},
        {"RuntimeWriteDoubleArray", 1},
        {"RuntimeDisposeIntArray", 2}}},
      {"Dim b(4) As Boolean\n  b(1) = Not b(0)\n  b.Append True\n  Redim b(9)\n",
       {{"RuntimeCreateFastBooleanArray", 1},
        {"RuntimeCreateArray", 0},
        {"RuntimeFastWriteBoolArray", 1},
        {"RuntimeFastReadBoolArray", 1},
        {"RuntimeFastBooleanArrayAppend", 1},
        {"RuntimeRedimFastBoolArray", 1},
        {"RuntimeDisposeFastBooleanArray", 2}}},
      {"Dim g(1, 1) As Boolean\n  g(1, 1) = True\n",
       {{"RuntimeCreateFastBooleanArray", 0}, {"RuntimeWriteIntArray", 1}}},
      {"Dim s() As String\n  s.Append \"b\"\n  s.Insert 0, \"a\"\n  s.Remove 1\n  s.Sort\n"
       "  LineTrace Str(UBound(s))\n",
       {{"RuntimeStringArrayAppend", 1},
        {"RuntimeStringArrayInsert", 1},
        {"RuntimeStringArrayRemove", 1},
        {"RuntimeStringArraySort", 1},
        {"RuntimeUBound2Param", 1},
        {"RuntimeDisposeStringArray", 2}}},
      {"Dim m(3, 3) As String\n  Redim m(5, 6)\n", {{"RuntimeRedimStringArrayLevel", 2}}},
      {"Dim c As New Collection\n  Dim o As Object = c.Item(1)\n  o = c.Item(\"k\")\n"
       "  c.Remove \"k\"\n",
       {{"collectionIdxItem", 1},
        {"collectionItem", 1},
        {"collectionKeyRemove", 1},
        {"collectionIdxRemove", 0}}},
      {"Dim d As New Dictionary\n  d.Value(\"k\") = 2.5\n  Dim n As Integer = d.Value(1)\n",
       {{"dictionaryValueSetter", 1},
        {"dictionaryValueGetter", 1},
        {"stringToVariant", 1},
        {"doubleToVariant", 1},
        {"intToVariant", 1},
        {"variantToInt", 1}}},
      {"Dim v As Variant = \"x\"\n  Dim w As Variant = New Date\n  If v = w Or v = \"y\" Then "
       "LineTrace v\n",
       {{"objectToVariant", 1}, {"VariantEqual", 1}, {"variantToString", 2}}},
  };
  for (auto &c : cases) {
    img::Image im = build(std::string("Sub Main()\n  ") + c.body + "End Sub\n");
    for (auto &[entry, count] : c.calls)
      EXPECT_EQ(sites(im, entry).size(), count) << entry << " in\n" << c.body;
  }
}

// Database programs: the global openers, statements, cursor moves and fields,
// records built by New with their assignment forms, and queries.
TEST(Codegen, DatabaseMembersReachTheirEntries) {
  img::Image im = build(
      "Sub Main()\n  Dim db As Database = NewDatabase(SpecialFolder.Temporary.Child(\"a.db\"))\n"
      "  db = OpenDatabase(SpecialFolder.Temporary.Child(\"a.db\"))\n"
      "  db.SQLExecute(\"create table t (a integer)\")\n"
      "  Dim c As DatabaseCursor = db.SQLSelect(\"select a from t\")\n"
      "  While Not c.EOF\n    c.Edit\n    c.Field(\"a\").IntegerValue = c.IdxField(1).IntegerValue + 1\n"
      "    c.Update\n    c.MoveNext\n  Wend\n"
      "  Dim r As New DatabaseRecord\n  r.Column(\"a\") = \"1\"\n  r.DateColumn(\"w\") = New Date\n"
      "  r.BlobColumn(\"b\") = r.Column(\"a\")\n  db.InsertRecord(\"t\", r)\n"
      "  Dim q As New DatabaseQuery\n  q.Database = db\n  q.SQLQuery = \"select a from t where a = ?\"\n"
      "  q.SetParameter(1, \"it's\")\n  c = q.RunQuery\n"
      "  If db.Error Then LineTrace Str(db.ErrorCode) + db.ErrorMessage\n  db.Rollback\n  db.Close\n"
      "End Sub\n");
  for (auto [entry, count] : std::initializer_list<std::pair<const char *, size_t>>{
           {"newKARUDatabase", 1},
           {"openKARUDatabase", 1},
           {"databaseSQLExecute", 1},
           {"databaseSQLSelect", 1},
           {"cursorEOFGetter", 1},
           {"cursorEdit", 1},
           {"cursorGetFieldByName", 1},
           {"cursorGetFieldByIndex", 1},
           {"cursorFieldIntegerValueSetter", 1},
           {"cursorFieldIntegerValueGetter", 1},
           {"cursorUpdate", 1},
           {"cursorMoveNext", 1},
           {"setDatabaseRecordColumn", 1},
           {"getDatabaseRecordColumn", 1},
           {"setDatabaseRecordDateColumn", 1},
           {"SetDatabaseRecordBlobColumn", 1},
           {"databaseInsertRecord", 1},
           {"databaseQuerySetParameter", 1},
           {"databaseQueryRunQuery", 1},
           {"databaseErrorGetter", 1},
           {"databaseErrorCodeGetter", 1},
           {"databaseErrorStringGetter", 1},
           {"databaseRollback", 1},
           {"databaseClose", 1}})
    EXPECT_EQ(sites(im, entry).size(), count) << entry;
}

// A carried database is a module variable that the entry routine fills with
// its project object once the runtime has made the items.
TEST(Codegen, CarriedDatabaseIsTakenFromTheProjectObjects) {
  img::Image im = build("Database Shop = \"shop.db\"\nSub Main()\n  Shop.Commit\nEnd Sub\n");
  EXPECT_EQ(sites(im, "RuntimeProjectObject").size(), 1u);
  EXPECT_EQ(sites(im, "databaseCommit").size(), 1u);
  std::string data(im.data1.begin(), im.data1.end());
  EXPECT_NE(data.find("shop.db"), std::string::npos);
}

// An array handed to a routine is the caller's: only the routine whose Dim
// made it disposes of it (once when the Dim runs again, once at the end).
TEST(Codegen, ArrayPassedToARoutineIsDisposedOnlyByItsCreator) {
  img::Image im = build("Sub Fill(a() As Integer)\n  a(0) = 1\nEnd Sub\n"
                        "Sub Main()\n  Dim a(3) As Integer\n  Fill(a)\nEnd Sub\n");
  std::vector<uint32_t> disposals = sites(im, "RuntimeDisposeIntArray");
  std::vector<uint32_t> writes = sites(im, "RuntimeDirectWriteIntArray");
  ASSERT_EQ(disposals.size(), 2u);
  ASSERT_EQ(writes.size(), 1u);
  for (uint32_t d : disposals) EXPECT_GT(d, writes[0]); /* Fill comes first and has none */
}

// When a raise unwinds a routine, its table has the runtime dispose of the
// arrays its Dims made, each by its element kind, and of no array parameter.
TEST(Codegen, FrameMapDisposesTheRoutinesOwnArraysByKind) {
  img::Image im = build("Sub Fill(a() As String, b(,) As Integer)\n  Dim own(2) As String\n"
                        "  Dim flags(1) As Boolean\n  Dim grid(1, 1) As Boolean\n"
                        "  Dim d(1) As Double\n  Dim o(1) As Object\n  Dim s As String\nEnd Sub\n"
                        "Sub Main()\nEnd Sub\n");
  /* own -8 strings, flags -12 compact, grid -16 and d -20 plain, o -24 objects, s -28 */
  EXPECT_GE(find(im.code1, "c9 c3 2f 09 ff f8 0b ff f4 08 ff f0 08 ff ec 0a ff e8 05 ff e4 00"), 0);
}

// A module-level array is made once by the entry routine before anything
// else runs, and disposed of once when the program ends.
TEST(Codegen, ModuleArrayIsMadeAtStartAndDisposedAtTheEnd) {
  img::Image im = build("Dim g(4) As String\nSub Put()\n  g(1) = \"x\"\nEnd Sub\n"
                        "Sub Main()\n  Put()\n  LineTrace g(1)\nEnd Sub\n");
  std::vector<uint32_t> made = sites(im, "RuntimeCreateArray");
  std::vector<uint32_t> plugins = sites(im, "Win32InstallPlugins");
  std::vector<uint32_t> disposed = sites(im, "RuntimeDisposeStringArray");
  ASSERT_EQ(made.size(), 1u);
  ASSERT_EQ(plugins.size(), 1u);
  ASSERT_EQ(disposed.size(), 1u);
  EXPECT_LT(made[0], plugins[0]);
  EXPECT_GT(disposed[0], sites(im, "RuntimeInit")[0]);
}

// An array property lives as long as its object: the class's constructor
// makes it, the destructor disposes of it, and no routine's end does.
TEST(Codegen, ArrayPropertyIsMadeByTheConstructorAndDisposedByTheDestructor) {
  img::Image im = build("Class K\n  Property P(3, 1) As String\nEnd Class\n"
                        "Sub Main()\n  Dim k As New K\n  k.P(1, 0) = \"x\"\n  LineTrace k.P(1, 0)\n"
                        "End Sub\n");
  EXPECT_EQ(sites(im, "RuntimeCreateArray").size(), 1u);
  EXPECT_EQ(sites(im, "RuntimeArrayCreateAddIndex").size(), 2u);
  EXPECT_EQ(sites(im, "RuntimeDisposeStringArray").size(), 1u);
  EXPECT_EQ(sites(im, "RuntimeWriteStringArray").size(), 1u);
  EXPECT_EQ(sites(im, "RuntimeReadStringArray").size(), 1u);
}

// The description of the program's first window, decoded.
std::string described(const char *source, Program &prog, Checked &checked) {
  std::string file = "t.bas";
  parse(tokenize(&file, source), prog);
  check(prog, checked);
  return decode_window(window_description(*prog.classes[0], checked));
}

TEST(Descriptions, WindowCarriesItsPropertiesAndControlsWithTheirSubclasses) {
  Program prog;
  Checked checked;
  std::string text =
      described("Window Main\n  Title = \"Calc\"\n  Width = 519\n"
                "  Control R(0) As RadioButton\n    Value = True\n  End Control\n"
                "  Control R(1) As RadioButton\n    TabPanelIndex = 2\n  End Control\n"
                "  Control E As EditField Subclassed\n  End Control\n"
                "  Handler R.Action()\n  End Handler\nEnd Window\n",
                prog, checked);
  /* every control record lists its kind's defaults, the source's values in their places */
  const std::string rect = " Left=0 Top=0 Width=80 Height=22 Visible=True HelpTag= BalloonHelp= "
                           "DisabledBalloonHelp= AutoDeactivate=True LockLeft=False LockTop=False "
                           "LockRight=False LockBottom=False Enabled=True";
  const std::string font = " TextFont=System TextSize=12 Bold=False Italic=False Underline=False";
  EXPECT_EQ(
      text,
      "window class 1: Name=Main Frame=0 HasBackColor=False BackColor=16777215 Backdrop=0 "
      "Title=Calc Visible=True FullScreen=False MenuBarVisible=True CloseBox=True "
      "GrowIcon=False ZoomIcon=False BalloonHelp= MacProcID=0 Placement=0 Width=519 "
      "Height=300 MinWidth=64 MinHeight=64 MaxWidth=32000 MaxHeight=32000\n"
      "control class 3: Name=R Index=0 TabPanelIndex=0" +
          rect + " Caption= Value=True" + font +
          "\ncontrol class 3: Name=R Index=1 TabPanelIndex=2" + rect + " Caption= Value=False" +
          font + "\ncontrol class 5: Name=E Index=-2147483648 TabPanelIndex=0" + rect +
          " Text= Border=True MultiLine=False ScrollBarHorizontal=False ScrollBar=True "
          "ScrollBarVertical=True Styled=True Password=False UseFocusRing=True ReadOnly=False "
          "LimitText=0 AcceptTabs=False Alignment=3 TextColor=0 BackColor=16777215 "
          "DataSource= DataField=" +
          font + "\nbindings 0");
  /* classes in the order a reader meets them: Window, Main, RadioButton, the
     array's shared subclass (which carries the handler), EditField, E's own */
  std::vector<std::string> names;
  for (ClassInfo *c : checked.classes.directory) names.push_back(c->display());
  EXPECT_EQ(names, (std::vector<std::string>{"Window", "Main", "RadioButton", "(control subclass)",
                                             "EditField", "(control subclass)"}));
  ClassInfo *sub = checked.classes.directory[3];
  EXPECT_EQ(sub->super->name, "RadioButton");
  ASSERT_EQ(sub->handlers.size(), 1u);
  EXPECT_EQ(sub->handlers[0]->eventNumber, 1001);
}

TEST(Descriptions, PlacedTimerRunsOnceASecondUnlessToldAndHasNoPosition) {
  Program prog;
  Checked checked;
  std::string text = described("Window Main\n"
                               "  Control Clock As Timer\n    Period = 250\n  End Control\n"
                               "  Control Once As Timer\n    Mode = 1\n  End Control\n"
                               "  Handler Clock.Action()\n    Clock.Mode = 0\n  End Handler\n"
                               "End Window\n",
                               prog, checked);
  std::string controls = text.substr(text.find('\n') + 1);
  EXPECT_EQ(controls, "control class 3: Name=Clock Index=-2147483648 TabPanelIndex=0 Mode=2 "
                      "Period=250\n"
                      "control class 2: Name=Once Index=-2147483648 TabPanelIndex=0 Mode=1 "
                      "Period=1000\nbindings 0");
  ClassInfo *sub = checked.classes.directory[3];
  EXPECT_EQ(sub->super->name, "Timer"); /* the handler's own subclass */
  ASSERT_EQ(sub->handlers.size(), 1u);
}

TEST(Descriptions, PlacedSerialPortsAndSocketsHaveSettingsButNoPosition) {
  Program prog;
  Checked checked;
  std::string text = described("Window Main\n"
                               "  Control Line As Serial\n    Baud = 13\n  End Control\n"
                               "  Control Net As Socket\n    Port = 50000\n  End Control\n"
                               "  Handler Line.DataAvailable()\n    Net.Write Line.ReadAll\n"
                               "  End Handler\n"
                               "  Handler Net.Error()\n    LineTrace Str(Net.LastErrorCode)\n"
                               "  End Handler\n"
                               "End Window\n",
                               prog, checked);
  std::string controls = text.substr(text.find('\n') + 1);
  EXPECT_EQ(controls, "control class 3: Name=Line Index=-2147483648 TabPanelIndex=0 Baud=13 "
                      "Bits=3 Parity=0 Stop=0 Port=0\n"
                      "control class 5: Name=Net Index=-2147483648 TabPanelIndex=0 Address= "
                      "Port=50000\nbindings 0");
  EXPECT_EQ(checked.classes.directory[3]->super->name, "Serial");
  EXPECT_EQ(checked.classes.directory[5]->super->name, "Socket");
}

TEST(Descriptions, MenuBarEncodesEntriesItemsAndSubmenus) {
  Program prog;
  std::string file = "t.bas";
  parse(tokenize(&file,
                 "MenuBar\n  Menu \"File\"\n    Item FileQuit \"Quit\" Key \"Q\" As QuitMenuItem\n"
                 "    Separator\n    Menu \"More\" More\n      Item A \"A\" Index 2\n"
                 "    End Menu\n    Placeholder\n  End Menu\n  Placeholder\nEnd MenuBar\n"),
        prog);
  Checked checked;
  check(prog, checked);
  img::Bytes b = menu_bar(prog.menuBar, checked);
  /* the last entry: kind 2, empty texts, index, helps, bytes 0 0, class, no items */
  EXPECT_EQ(to_hex(img::Bytes(b.end() - 15, b.end())),
            "02 00 00 c0 80 80 80 10 00 00 00 00 00 00 00");
  /* entry count 2; entry: kind 0, "File", no name, index, no key, two helps, 0, submenu 1 */
  EXPECT_EQ(to_hex(img::Bytes(b.begin(), b.begin() + 16)),
            "02 00 04 46 69 6c 65 00 c0 80 80 80 10 00 00 00");
  std::string text(b.begin(), b.end());
  for (const char *s : {"FileQuit", "Quit", "More"}) EXPECT_NE(text.find(s), std::string::npos);
}

// The value controls start at their usual sizes and ranges; only the
// pop-up menu and the data control, which show text, take the font quartet.
TEST(Descriptions, ValueControlsAndListsCarryTheirSizesAndDefaults) {
  struct {
    const char *kind, *own;
  } const cases[] = {
      {"ScrollBar", " Width=120 Height=16 | Minimum=0 Maximum=100 Value=0 LineStep=1 "
                    "PageStep=20 LiveScroll=False"},
      {"Slider", " Width=120 Height=24 | Minimum=0 Maximum=100 Value=0 LineStep=1 "
                 "PageStep=20 LiveScroll=False"},
      {"ProgressBar", " Width=120 Height=16 | Maximum=100 Value=0"},
      {"PopupMenu", " Width=120 Height=20 | InitialValue=a\rb DataSource= DataField= "
                    "TextFont=System TextSize=12 Bold=False Italic=False Underline=False"},
      {"DataControl", " Width=200 Height=24 | Caption= TableName= SQLQuery= ControlBind= "
                      "ReadOnly=False TextAlign=1 TextColor=0 TextFont=System TextSize=12 "
                      "Bold=False Italic=False Underline=False"},
      {"Listbox", " Width=100 Height=100 | ColumnCount=1 ColumnWidths= HasHeading=False "
                  "Hierarchical=False SelectionType=0 InitialValue= ScrollBarVertical=True "
                  "ScrollBarHorizontal=False GridLinesHorizontal=False GridLinesVertical=False "
                  "UseFocusRing=True DefaultRowHeight=0 EnableDrag=False TextFont=System "
                  "TextSize=12 Bold=False Italic=False Underline=False"},
  };
  for (auto &c : cases) {
    Program prog;
    std::string file = "t.bas";
    std::string source =
        std::string("Window Main\n  Control C As ") + c.kind + "\n" +
        (std::string(c.kind) == "PopupMenu" ? "    InitialValue = \"a\" + Chr(13) + \"b\"\n" : "") +
        "  End Control\nEnd Window\n";
    parse(tokenize(&file, source), prog);
    Checked checked;
    check(prog, checked);
    std::string text = decode_window(window_description(*prog.classes[0], checked));
    std::string record = text.substr(text.find("\ncontrol"));
    std::string own = c.own, sizes = own.substr(0, own.find(" |")),
                rest = own.substr(own.find("|") + 1);
    EXPECT_NE(record.find(sizes), std::string::npos) << c.kind << record;
    EXPECT_NE(record.find("Enabled=True" + rest + "\nbindings"), std::string::npos)
        << c.kind << record;
  }
}

// A data control on a window keeps its table and its ControlBind in the
// description; its moves, rows, fields and writing back reach their entries.
TEST(Codegen, DataControlMembersReachTheirEntries) {
  const char *source = "Window W\n  Control D As DataControl\n    TableName = \"people\"\n"
                       "    ControlBind = \"NameField=name, Member\"\n  End Control\n"
                       "  Control NameField As EditField\n  End Control\n"
                       "  Control Member As CheckBox\n    DataSource = \"D\"\n"
                       "    DataField = \"member\"\n  End Control\n"
                       "  Handler D.Reposition()\n    LineTrace Str(D.Row) + \"/\" + "
                       "Str(D.RowCount)\n  End Handler\n"
                       "  Handler Member.Action()\n    D.MoveNext\n    D.MoveTo 2\n"
                       "    D.UpdateRecord\n    D.NewRecord\n    D.DeleteRecord\n"
                       "    D.Caption = D.Field(\"name\").StringValue\n"
                       "    If D.RecordLocked Then D.RunQuery\n  End Handler\nEnd Window\n";
  Program prog;
  std::string file = "t.bas";
  parse(tokenize(&file, source), prog);
  Checked checked;
  check(prog, checked);
  std::string text = decode_window(window_description(*prog.classes[0], checked));
  EXPECT_NE(text.find("TableName=people"), std::string::npos) << text;
  EXPECT_NE(text.find("ControlBind=NameField=name, Member"), std::string::npos) << text;
  img::Image im = build(source);
  for (const char *entry :
       {"DataControlRow", "DataControlRowCount", "DataControlMoveNext", "DataControlMoveTo",
        "DataControlUpdateRecord", "DataControlNewRecord", "DataControlDeleteRecord",
        "DataControlGetField", "DataControlCaptionSetter", "DataControlRecordLockedGetter",
        "DataControlRunQuery"})
    EXPECT_EQ(sites(im, entry).size(), 1u) << entry;
}

// A slider's ValueChanged handler, a pop-up row's new text and its tag
// compile to their entries.
TEST(Codegen, ValueControlHandlersAndRowAssignmentsReachTheirEntries) {
  img::Image im = build("Window W\n  Control P As PopupMenu\n  End Control\n"
                        "  Control S As Slider\n  End Control\n"
                        "  Handler S.ValueChanged()\n    P.List(0) = \"x\"\n"
                        "    P.RowTag(0) = S.Value\n  End Handler\nEnd Window\n");
  std::vector<uint32_t> rows = sites(im, "RuntimePopupSetRow");
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(sites(im, "setPopupRowTag").size(), 1u);
  EXPECT_EQ(sites(im, "scrollerPropGetter").size(), 1u);
}

} // namespace

namespace {

// The words pushed before the call at `site`: each `push imm32` (68 xx xx xx
// xx) or `mov eax, imm32; push eax` (b8 ... 50) in the bytes before it, nearest
// the call first.
std::vector<int32_t> pushed_constants(const img::Bytes &code, uint32_t site, size_t count) {
  std::vector<int32_t> out;
  for (long at = long(site) - 1; at >= 5 && out.size() < count; at--) {
    if (code[size_t(at)] == 0x50 && code[size_t(at) - 5] == 0xb8) {
      int32_t v;
      std::memcpy(&v, &code[size_t(at) - 4], 4);
      out.push_back(v);
      at -= 5;
    }
  }
  return out;
}

// Drawing calls reach their entries; the parameters left out of DrawString,
// DrawPicture and Canvas.Scroll arrive as the entries' fallbacks.
TEST(Codegen, DrawingMembersReachTheirEntriesWithTheirFallbacks) {
  img::Image im = build(
      "Window W\n  Control C As Canvas\n  End Control\n"
      "  Handler C.Paint(g As Graphics)\n"
      "    g.ForeColor = &c123456\n    g.DrawLine 1, 2, 3, 4\n    g.FillRect 0, 0, 5, 5\n"
      "    g.DrawRoundRect 0, 0, 9, 9, 3, 3\n    g.DrawString \"a\", 1, 12\n"
      "    g.Pixel(1, 1) = RGB(1, 2, 3)\n    LineTrace Str(g.StringWidth(\"ab\") + g.TextAscent)\n"
      "  End Handler\n"
      "  Handler C.MouseDown(X As Integer, Y As Integer) As Boolean\n"
      "    C.Scroll 7, 0\n    Return True\n  End Handler\n"
      "  Handler C.KeyDown(Key As String) As Boolean\n    Return Key = \"a\"\n  End Handler\n"
      "End Window\n"
      "Sub Main()\n  Dim p As Picture = NewPicture(20, 10, 32)\n"
      "  Dim pts(6) As Integer\n  p.Graphics.FillPolygon pts\n"
      "  p.Graphics.DrawPicture p, 0, 0\n  Dim c As Color = p.RGBSurface.Pixel(2, 3)\n"
      "  If SelectColor(c, \"Pick\") Then LineTrace Str(c.Red + c.Hue)\n"
      "  LineTrace Font(FontCount - 1)\n  c = HighlightColor\nEnd Sub\n");
  for (const char *entry :
       {"graphicsForeColorSetter", "RuntimeGraphicsDrawLine", "RuntimeGraphicsFillRect",
        "RuntimeGraphicsDrawRoundRect", "graphicsPixelSetter", "RuntimeRGB",
        "RuntimeGraphicsStringWidth", "RuntimeGraphicsTextAscent", "newPicture",
        "graphicsFillPolygon", "pictureGraphicsGetter", "pictureRGBSurfaceGetter",
        "rgbSurfaceGetPixel", "selectColor", "readColorRed", "readColorHue", "getFontName",
        "getFontCount", "getHilightColor"})
    EXPECT_FALSE(sites(im, entry).empty()) << entry;
  std::vector<uint32_t> text = sites(im, "RuntimeGraphicsDrawString");
  ASSERT_EQ(text.size(), 1u);
  std::vector<int32_t> textArgs = pushed_constants(im.code1, text[0], 4); /* the text, x, y, wrap */
  EXPECT_EQ(std::vector<int32_t>(textArgs.begin() + 1, textArgs.end()),
            (std::vector<int32_t>{1, 12, 0}));
  std::vector<uint32_t> scroll = sites(im, "canvasScroll");
  ASSERT_EQ(scroll.size(), 1u);
  EXPECT_EQ(pushed_constants(im.code1, scroll[0], 7),
            (std::vector<int32_t>{7, 0, 0, 0, kWholeSide, kWholeSide, 1}));
  std::vector<uint32_t> picture = sites(im, "RuntimeGraphicsDrawPicture");
  ASSERT_EQ(picture.size(), 1u);
  const int32_t W = kWholeSide;
  EXPECT_EQ(pushed_constants(im.code1, picture[0], 8),
            (std::vector<int32_t>{0, 0, W, W, 0, 0, W, W}));
}

// Printing's members reach their entries; OpenPrinter without a setup
// passes nil (xor eax, eax; push eax just before the call).
TEST(Codegen, PrintingMembersReachTheirEntries) {
  img::Image im = build("Window W\n  Control E As EditField\n  End Control\n"
                        "  Handler E.GotFocus()\n    Dim s As New PrinterSetup\n"
                        "    If s.PageSetupDialog Then s.Landscape = True\n"
                        "    s.HorizontalResolution = 300\n    s.MaxVerticalResolution = 600\n"
                        "    LineTrace Str(s.PageWidth + s.PaperHeight) + s.SetupString\n"
                        "    s.SetupString = \"\"\n    Dim g As Graphics = OpenPrinterDialog(s)\n"
                        "    Dim p As StyledTextPrinter = E.StyledTextPrinter(g, 400)\n"
                        "    p.Width = 300\n    While Not p.EOF\n      p.DrawBlock 0, 0, g.Height\n"
                        "      g.NextPage\n    Wend\n    g = OpenPrinter\n    g = OpenPrinter(s)\n"
                        "  End Handler\nEnd Window\n");
  for (const char *entry :
       {"printerSetupPageSetup", "printerSetupResSetter", "printerSetupMaxResSetter",
        "printerSetupInfoGetter", "printerSetupStringGetter", "printerSetupStringSetter",
        "RuntimeOpenPrinterDialog", "editStyleTextPrinter", "styledPrinterWidthSetter",
        "styledPrinterEOF", "styledPrinterDrawBlock", "RuntimeGraphicsNextPage"})
    EXPECT_FALSE(sites(im, entry).empty()) << entry;
  std::vector<uint32_t> open = sites(im, "RuntimeOpenPrinter");
  ASSERT_EQ(open.size(), 2u);
  size_t bare = open[0] < open[1] ? open[0] : open[1];
  EXPECT_EQ(im.code1[bare - 1], 0x50) << "push eax";
  EXPECT_EQ(im.code1[bare - 3], 0x31) << "xor eax, eax: nil for the left-out setup";
}

// Optional parameters close a member's list; ByRef and array parameters
// take only what they can.
TEST(Codegen, DrawingMisuseIsReportedAtTheCall) {
  struct {
    const char *body, *message;
  } const cases[] = {
      {"  Dim g As Graphics\n  g.DrawString \"a\"\n",
       "DrawString takes at least 3 argument(s), not 1"},
      {"  Dim g As Graphics\n  Dim d(3) As Double\n  g.DrawPolygon d\n", "must be Integer()"},
      {"  Dim g As Graphics\n  g.DrawPolygon 3\n", "must be Integer()"},
      {"  If SelectColor(&c000000, \"x\") Then LineTrace \"y\"\n", "is ByRef"},
      {"  Dim c As Color\n  LineTrace Str(c.Purple)\n", "Color value has no member Purple"},
      {"  Dim g As Graphics\n  g.TextHeight = 3\n", "cannot be assigned"},
      {"  Dim c As Canvas\n  c.Scroll 1\n", "wrong number of arguments for Scroll"},
  };
  for (auto &c : cases) {
    CompileOptions o;
    CompileResult r = compile({{"t.bas", std::string("Sub Main()\n") + c.body + "End Sub\n"}}, o);
    EXPECT_FALSE(r.ok) << c.body;
    EXPECT_NE(r.error.find(c.message), std::string::npos) << c.body << r.error;
  }
}

TEST(Descriptions, PlacedCanvasTakesNoFocusAndIsASquare) {
  Program prog;
  std::string file = "t.bas";
  parse(tokenize(&file, "Window Main\n  Control C As Canvas\n  End Control\nEnd Window\n"), prog);
  Checked checked;
  check(prog, checked);
  std::string text = decode_window(window_description(*prog.classes[0], checked));
  std::string record = text.substr(text.find("\ncontrol"));
  EXPECT_NE(record.find(" Width=100 Height=100"), std::string::npos) << record;
  EXPECT_NE(record.find("AcceptFocus=False AcceptTabs=False UseFocusRing=True"), std::string::npos)
      << record;
}

} // namespace
