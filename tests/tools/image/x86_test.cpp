// The x86 emitter: encodings compared with the GNU assembler's output (Intel
// syntax, i686-w64-mingw32-as), labels, import chains and data references.
#include "hex.h"
#include "x86.h"
#include <gtest/gtest.h>

using namespace img;

TEST(X86, EncodesLikeTheAssembler) {
  struct Case {
    const char *assembly;
    void (*emit)(Code &);
    const char *bytes;
  } cases[] = {
      {"push ebp", [](Code &a) { a.push(ebp); }, "55"},
      {"push 5", [](Code &a) { a.push(5); }, "6a 05"},
      {"push 0x12345678", [](Code &a) { a.push(0x12345678); }, "68 78 56 34 12"},
      {"push -200", [](Code &a) { a.push(-200); }, "68 38 ff ff ff"},
      {"push dword ptr [ebp+8]", [](Code &a) { a.push(mem(ebp, 8)); }, "ff 75 08"},
      {"push dword ptr [ebp-0x100]", [](Code &a) { a.push(mem(ebp, -0x100)); },
       "ff b5 00 ff ff ff"},
      {"pop dword ptr [ebp-4]", [](Code &a) { a.pop(mem(ebp, -4)); }, "8f 45 fc"},
      {"mov eax, 0x11223344", [](Code &a) { a.mov(eax, 0x11223344); }, "b8 44 33 22 11"},
      {"mov eax, dword ptr [ebp-8]", [](Code &a) { a.mov(eax, mem(ebp, -8)); }, "8b 45 f8"},
      {"mov ecx, dword ptr [esp+4]", [](Code &a) { a.mov(ecx, mem(esp, 4)); }, "8b 4c 24 04"},
      {"mov edx, dword ptr [eax]", [](Code &a) { a.mov(edx, mem(eax)); }, "8b 10"},
      {"mov ebx, dword ptr [ebp]", [](Code &a) { a.mov(ebx, mem(ebp)); }, "8b 5d 00"},
      {"mov dword ptr [ebp-12], eax", [](Code &a) { a.mov(mem(ebp, -12), eax); }, "89 45 f4"},
      {"mov dword ptr [esi+0x80], edi", [](Code &a) { a.mov(mem(esi, 0x80), edi); },
       "89 be 80 00 00 00"},
      {"mov dword ptr [ebp-4], 0", [](Code &a) { a.mov(mem(ebp, -4), 0); }, "c7 45 fc 00 00 00 00"},
      {"mov byte ptr [eax+60], cl", [](Code &a) { a.mov8(mem(eax, 60), cl); }, "88 48 3c"},
      {"mov al, byte ptr [ebp-5]", [](Code &a) { a.mov8(al, mem(ebp, -5)); }, "8a 45 fb"},
      {"mov byte ptr [ebp-5], 1", [](Code &a) { a.mov8(mem(ebp, -5), 1); }, "c6 45 fb 01"},
      {"movzx eax, al", [](Code &a) { a.movzx(eax, al); }, "0f b6 c0"},
      {"movzx ecx, byte ptr [eax+60]", [](Code &a) { a.movzx8(ecx, mem(eax, 60)); }, "0f b6 48 3c"},
      {"lea eax, [ebp-16]", [](Code &a) { a.lea(eax, mem(ebp, -16)); }, "8d 45 f0"},
      {"xchg dword ptr [ebp-8], eax", [](Code &a) { a.xchg(mem(ebp, -8), eax); }, "87 45 f8"},
      {"add esp, 12", [](Code &a) { a.add(esp, 12); }, "83 c4 0c"},
      {"add eax, 0x1000", [](Code &a) { a.add(eax, 0x1000); }, "05 00 10 00 00"},
      {"add ecx, 0x1000", [](Code &a) { a.add(ecx, 0x1000); }, "81 c1 00 10 00 00"},
      {"add eax, ecx", [](Code &a) { a.add(eax, ecx); }, "01 c8"},
      {"add eax, dword ptr [ebp-4]", [](Code &a) { a.add(eax, mem(ebp, -4)); }, "03 45 fc"},
      {"add dword ptr [ebp-4], eax", [](Code &a) { a.add(mem(ebp, -4), eax); }, "01 45 fc"},
      {"sub dword ptr [ebp-4], 300", [](Code &a) { a.sub(mem(ebp, -4), 300); },
       "81 6d fc 2c 01 00 00"},
      {"cmp eax, ecx", [](Code &a) { a.cmp(eax, ecx); }, "39 c8"},
      {"cmp byte ptr [eax+60], 0", [](Code &a) { a.cmp8(mem(eax, 60), 0); }, "80 78 3c 00"},
      {"test eax, eax", [](Code &a) { a.test(eax, eax); }, "85 c0"},
      {"test eax, 0x100", [](Code &a) { a.test(eax, 0x100); }, "a9 00 01 00 00"},
      {"test ecx, 0x100", [](Code &a) { a.test(ecx, 0x100); }, "f7 c1 00 01 00 00"},
      {"test al, al", [](Code &a) { a.test8(al, al); }, "84 c0"},
      {"xor eax, eax", [](Code &a) { a.xor_(eax, eax); }, "31 c0"},
      {"imul eax, ecx", [](Code &a) { a.imul(eax, ecx); }, "0f af c1"},
      {"imul eax, ecx, 10", [](Code &a) { a.imul(eax, ecx, 10); }, "6b c1 0a"},
      {"imul eax, ecx, 1000", [](Code &a) { a.imul(eax, ecx, 1000); }, "69 c1 e8 03 00 00"},
      {"neg eax", [](Code &a) { a.neg(eax); }, "f7 d8"},
      {"not ecx", [](Code &a) { a.not_(ecx); }, "f7 d1"},
      {"cdq", [](Code &a) { a.cdq(); }, "99"},
      {"idiv ecx", [](Code &a) { a.idiv(ecx); }, "f7 f9"},
      {"idiv dword ptr [ebp-8]", [](Code &a) { a.idiv(mem(ebp, -8)); }, "f7 7d f8"},
      {"shl eax, 2", [](Code &a) { a.shl(eax, 2); }, "c1 e0 02"},
      {"shl eax, 1", [](Code &a) { a.shl(eax, 1); }, "d1 e0"},
      {"sar edx, 31", [](Code &a) { a.sar(edx, 31); }, "c1 fa 1f"},
      {"sete al", [](Code &a) { a.setcc(Cond::e, al); }, "0f 94 c0"},
      {"setl cl", [](Code &a) { a.setcc(Cond::l, cl); }, "0f 9c c1"},
      {"call eax", [](Code &a) { a.call(eax); }, "ff d0"},
      {"call dword ptr [eax+8]", [](Code &a) { a.call(mem(eax, 8)); }, "ff 50 08"},
      {"leave", [](Code &a) { a.leave(); }, "c9"},
      {"fld qword ptr [ebp-8]", [](Code &a) { a.fld64(mem(ebp, -8)); }, "dd 45 f8"},
      {"fld dword ptr [ebp-4]", [](Code &a) { a.fld32(mem(ebp, -4)); }, "d9 45 fc"},
      {"fstp qword ptr [esp]", [](Code &a) { a.fstp64(mem(esp)); }, "dd 1c 24"},
      {"fstp dword ptr [ebp-4]", [](Code &a) { a.fstp32(mem(ebp, -4)); }, "d9 5d fc"},
      {"fild dword ptr [ebp+8]", [](Code &a) { a.fild32(mem(ebp, 8)); }, "db 45 08"},
      {"fild qword ptr [ebp-16]", [](Code &a) { a.fild64(mem(ebp, -16)); }, "df 6d f0"},
      {"fistp dword ptr [ebp-4]", [](Code &a) { a.fistp32(mem(ebp, -4)); }, "db 5d fc"},
      {"fistp qword ptr [ebp-16]", [](Code &a) { a.fistp64(mem(ebp, -16)); }, "df 7d f0"},
      {"fadd qword ptr [ebp-8]", [](Code &a) { a.fadd64(mem(ebp, -8)); }, "dc 45 f8"},
      {"fcomp qword ptr [ebp-8]", [](Code &a) { a.fcomp64(mem(ebp, -8)); }, "dc 5d f8"},
      {"fsub qword ptr [ebp-8]", [](Code &a) { a.fsub64(mem(ebp, -8)); }, "dc 65 f8"},
      {"fsubr qword ptr [ebp-8]", [](Code &a) { a.fsubr64(mem(ebp, -8)); }, "dc 6d f8"},
      {"fdiv qword ptr [ebp-8]", [](Code &a) { a.fdiv64(mem(ebp, -8)); }, "dc 75 f8"},
      {"fdivr qword ptr [ebp-8]", [](Code &a) { a.fdivr64(mem(ebp, -8)); }, "dc 7d f8"},
      {"fadd st, st(1)", [](Code &a) { a.fadd_st0(1); }, "d8 c1"},
      {"fsub st, st(1)", [](Code &a) { a.fsub_st0(1); }, "d8 e1"},
      {"fsubr st, st(1)", [](Code &a) { a.fsubr_st0(1); }, "d8 e9"},
      {"fdiv st, st(1)", [](Code &a) { a.fdiv_st0(1); }, "d8 f1"},
      {"fdivr st, st(1)", [](Code &a) { a.fdivr_st0(1); }, "d8 f9"},
      {"fsub st(1), st", [](Code &a) { a.fsub_sti(1); }, "dc e9"},
      {"fsubr st(1), st", [](Code &a) { a.fsubr_sti(1); }, "dc e1"},
      {"fdiv st(1), st", [](Code &a) { a.fdiv_sti(1); }, "dc f9"},
      {"fdivr st(1), st", [](Code &a) { a.fdivr_sti(1); }, "dc f1"},
      {"faddp st(1), st", [](Code &a) { a.faddp(1); }, "de c1"},
      {"fmulp st(1), st", [](Code &a) { a.fmulp(1); }, "de c9"},
      {"fsubp st(1), st", [](Code &a) { a.fsubp(1); }, "de e9"},
      {"fsubrp st(1), st", [](Code &a) { a.fsubrp(1); }, "de e1"},
      {"fdivp st(1), st", [](Code &a) { a.fdivp(1); }, "de f9"},
      {"fdivrp st(1), st", [](Code &a) { a.fdivrp(1); }, "de f1"},
      {"fxch st(1)", [](Code &a) { a.fxch(1); }, "d9 c9"},
      {"fchs", [](Code &a) { a.fchs(); }, "d9 e0"},
      {"fld1", [](Code &a) { a.fld1(); }, "d9 e8"},
      {"fldz", [](Code &a) { a.fldz(); }, "d9 ee"},
      {"fcompp", [](Code &a) { a.fcompp(); }, "de d9"},
      {"fucompp", [](Code &a) { a.fucompp(); }, "da e9"},
      {"fnstsw ax", [](Code &a) { a.fnstsw_ax(); }, "df e0"},
      {"sahf", [](Code &a) { a.sahf(); }, "9e"},
  };
  for (const Case &c : cases) {
    Code a;
    c.emit(a);
    EXPECT_EQ(to_hex(a.bytes()), c.bytes) << c.assembly;
    EXPECT_TRUE(a.data_uses().empty()) << c.assembly;
  }
}

TEST(X86, JumpsAndCallsReachTheirLabelsForwardAndBackward) {
  Code a;
  CodeLabel top = a.here(), end = a.label(), sub = a.label();
  a.jcc(Cond::e, end); // forward: patched when bound
  a.call(sub);
  a.jmp(top); // backward
  a.bind(end);
  a.ret();
  a.bind(sub);
  a.ret();
  std::string error;
  EXPECT_TRUE(a.check_labels(&error)) << error;
  EXPECT_EQ(to_hex(a.bytes()), "0f 84 0a 00 00 00 " // +10 to end (offset 16)
                               "e8 06 00 00 00 "    // +6 to sub (offset 17)
                               "e9 f0 ff ff ff "    // -16 back to 0
                               "c3 c3");
  EXPECT_EQ(a.offset(sub), 17u);
}

TEST(X86, ReportsJumpsToLabelsNeverBound) {
  Code a;
  a.nop();
  a.jmp(a.label());
  std::string error;
  EXPECT_FALSE(a.check_labels(&error));
  EXPECT_NE(error.find("offset 1"), std::string::npos) << error;
}

TEST(X86, ThreadsImportCallsIntoFixupChains) {
  Code a;
  a.call_import("lineTrace");  // site 1
  a.call_import("RuntimeRun"); // site 6
  a.call_import("lineTrace");  // site 11 -> 1
  a.nop();
  a.call_import("lineTrace"); // site 17 -> 11
  EXPECT_EQ(to_hex(a.bytes()), "e8 00 00 00 00 e8 00 00 00 00 e8 01 00 00 00 90 "
                               "e8 0b 00 00 00");
  EXPECT_EQ(a.imports(), (std::vector<Import>{{"lineTrace", 17}, {"RuntimeRun", 6}}));
}

TEST(X86, RecordsDataReferencesInImmediatesAndDisplacements) {
  Code a;
  DataLabel d{3}; // resolved by the image linker; only the positions matter here
  a.push(DataRef(d));
  a.mov(eax, d + 8);
  a.fld64(mem(DataRef(d, 16)));
  a.mov(mem(ebp, -4), DataRef(d));
  a.push(DataRef()); // the nil string: 0, nothing recorded
  EXPECT_EQ(to_hex(a.bytes()), "68 00 00 00 00 b8 00 00 00 00 dd 05 00 00 00 00 "
                               "c7 45 fc 00 00 00 00 68 00 00 00 00");
  ASSERT_EQ(a.data_uses().size(), 4u);
  uint32_t at[] = {1, 6, 12, 19};
  int32_t addend[] = {0, 8, 16, 0};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(a.data_uses()[i].at, at[i]);
    EXPECT_EQ(a.data_uses()[i].ref.addend, addend[i]);
  }
}

TEST(X86, WritesCallDescriptorAndFrameMap) {
  Code a;
  a.call_descriptor();
  a.leave();
  a.ret();
  a.frame_map({{5, -8}, {6, -300}});
  a.frame_map({});
  EXPECT_EQ(to_hex(a.bytes()), "eb 03 90 eb 00 c9 c3 2f 05 ff f8 06 fe d4 00 2f 00");
}
