// The vector groups of the instruction table: the gate, the generated load and
// store families with their shared identifiers, and the operand forms.

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "disasm/isa_parser.h"
#include "disasm/tables/groups.h"
#include "support/table_check.h"

namespace {

using namespace insn_flag;

TEST(VectorTable, OperandFormsTextsAndIdentifiers) {
  // vd = v10, vs2 = v12, vs1 = v11, rd = a0, rs1 = a1, rs2 = a2, fs1 = fa1.
  expect_decodes(test_isa_t(64, {'I', 'V'}),
                 {
                     {0x02c58557, "vadd.vv v10, v12, v11", insn_id("vadd_vv"), 0},
                     {0x00c58557, "vadd.vv v10, v12, v11, v0.t", insn_id("vadd_vv"), 0},
                     {0x02cdb557, "vadd.vi v10, v12, -5", insn_id("vadd_vi"), 0},
                     {0x32c8b557, "vrgather.vi v10, v12, 17", insn_id("vrgather_vi"), 0},
                     {0x40c58557, "vadc.vvm v10, v12, v11, v0", insn_id("vadc_vvm"), 0},
                     {0x02c5d557, "vfadd.vf v10, v12, fa1", insn_id("vfadd_vf"), 0},
                     {0x4ac32557, "vzext.vf2 v10, v12", insn_id("vzext_vf2"), 0},
                     {0x5e0fb557, "vmv.v.i v10, -1", insn_id("vmv_v_i"), 0},
                     {0x5e05c557, "vmv.v.x v10, a1", insn_id("vmv_v_x"), 0},
                     {0x9ec03557, "vmv1r.v v10, v12", insn_id("vmv1r_v"), 0},
                     {0x9ec3b557, "vmv8r.v v10, v12", insn_id("vmv8r_v"), 0},
                     {0x42c02557, "vmv.x.s a0, v12", insn_id("vmv_x_s"), 0},
                     {0x40c82557, "vcpop.m a0, v12, v0.t", insn_id("vcpop_m"), 0},
                     {0x5208a557, "vid.v   v10", insn_id("vid_v"), 0},
                     {0x5ec5a557, "vcompress.vm v10, v12, v11", insn_id("vcompress_vm"), 0},
                     {0x42c01557, "vfmv.f.s fa0, v12", insn_id("vfmv_f_s"), 0},
                     {0x4205d557, "vfmv.s.f v10, fa1", insn_id("vfmv_s_f"), 0},
                     {0x5cc5d557, "vfmerge.vfm v10, v12, fa1, v0", insn_id("vfmerge_vfm"), 0},
                     {0x5e05d557, "vfmv.v.f v10, fa1", insn_id("vfmv_v_f"), 0},
                     {0x0d15f557, "vsetvli a0, a1, e32, m2, ta, ma", insn_id("vsetvli"), 0},
                     {0xc0057557, "vsetivli a0, 10, e8, m1, tu, mu", insn_id("vsetivli"), 0},
                     {0x80c5f557, "vsetvl  a0, a1, a2", insn_id("vsetvl"), RS1 | RS2 | RD},
                     {0x02b58507, "vlm.v   v10, (a1)", insn_id("vlm_v"), 0},
                     {0x02b58527, "vsm.v   v10, (a1)", insn_id("vsm_v"), 0},
                     {0x62858527, "vs4r.v  v10, (a1)", insn_id("vs4r_v"), 0},
                 });
}

TEST(VectorTable, GeneratedFamiliesShareTheirSingleFieldByteMembersIdentifier) {
  expect_decodes(test_isa_t(64, {'I', 'V'}),
                 {
                     {0x02805007, "vl1re16.v v0, (zero)", insn_id("vl1re8_v"), 0},
                     {0x00005007, "vle16.v v0, (zero), v0.t", insn_id("vle8_v"), 0},
                     {0x22805007, "vl2re16.v v0, (zero)", insn_id("vl1re8_v"), 0},
                     {0x0205e507, "vle32.v v10, (a1)", insn_id("vle8_v"), 0},
                     {0x0305d507, "vle16ff.v v10, (a1)", insn_id("vle8ff_v"), 0},
                     {0x08c5f507, "vlse64.v v10, (a1), a2, v0.t", insn_id("vlse8_v"), 0},
                     {0x06c5d507, "vluxei16.v v10, (a1), v12", insn_id("vluxei8_v"), 0},
                     {0x4ec58527, "vsoxseg3ei8.v v10, (a1), v12", insn_id("vsoxei8_v"), 0},
                 });
}

TEST(VectorTable, WidestSegmentLoadAndWholeRegisterStore) {
  disassembler_t const d(64);
  // Field count 7 at bit 29 needs 64-bit arithmetic; the widths 128 to 1024
  // set the mew bit 28.
  disasm_insn_t const* seg = d.get_disasm(0xf0007007);
  ASSERT_NE(seg, nullptr);
  EXPECT_EQ(seg->name, "vlseg8e1024.v");
  EXPECT_EQ(seg->match, 0xf0007007u);
  EXPECT_EQ(seg->mask, 0xfdf0707fu);
  EXPECT_EQ(seg->insn_id, insn_id("vle8_v"));

  disasm_insn_t const* vs8r = d.get_disasm(0xe2800027);
  ASSERT_NE(vs8r, nullptr);
  EXPECT_EQ(vs8r->name, "vs8r.v");
  EXPECT_EQ(vs8r->match, 0xe2800027u);
  EXPECT_EQ(vs8r->mask, 0xfff0707fu);
}

TEST(VectorTable, EveryGeneratedMemberDecodesItsOwnMatchWord) {
  disassembler_t const d(64);
  std::set<std::string> names;
  for (disasm_insn_t const* e : all_entries(d)) {
    unsigned long id = generated_family_id(e->name);
    if (id == 0) continue;
    SCOPED_TRACE(e->name);
    names.insert(e->name);
    EXPECT_EQ(e->insn_id, id);
    EXPECT_EQ(e->insn_flags, 0u);
    EXPECT_EQ(e->match & ~e->mask, 0u);
    EXPECT_EQ(d.get_disasm(e->match), e);
  }
  // 8 widths x (8 field counts x 9 families + 4 whole-register loads).
  EXPECT_EQ(names.size(), 608u);
  for (char const* name : {"vle8.v", "vlsseg5e64.v", "vsuxseg2ei128.v", "vl8re1024.v",
                           "vloxseg8ei1024.v", "vsseg4e256.v", "vlseg3e32ff.v"})
    EXPECT_EQ(names.count(name), 1u) << name;
}

TEST(VectorTable, NoVectorEntryWithoutAVectorExtension) {
  test_isa_t const scalar(64, {'I', 'M', 'F', 'D'});
  expect_decodes(scalar, {
                             {0x02c58557, "vadd.vv (args unknown)", insn_id("vadd_vv"), 0},
                             // The catch-all of the single-field name also covers segment loads.
                             {0x00005007, "vle16.v (args unknown)", insn_id("vle16_v"), 0},
                             {0x20005007, "vle16.v (args unknown)", insn_id("vle16_v"), 0},
                             {0x0d15f557, "vsetvli (args unknown)", insn_id("vsetvli"), 0},
                         });
  disassembler_t d(&scalar);
  std::size_t const before = d.entry_count();
  add_vector_groups(d, &scalar);
  EXPECT_EQ(d.entry_count(), before);

  // The BF16 conversions have gates of their own.
  test_isa_t const bf16(64, {'I', EXT_ZVFBFMIN, EXT_ZVFBFWMA});
  expect_decodes(bf16,
                 {
                     {0x4ace9557, "vfncvtbf16.f.f.w v10, v12", insn_id("vfncvtbf16_f_f_w"), 0},
                     {0xeec5d557, "vfwmaccbf16.vf v10, v12, fa1", insn_id("vfwmaccbf16_vf"), 0},
                     {0x02c58557, "vadd.vv (args unknown)", insn_id("vadd_vv"), 0},
                 });
}

}  // namespace
