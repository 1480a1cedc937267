// The vector half of the instruction table: the vector extension with its
// generated load and store families, then the vector BF16 conversions.
//
// A row given only with a format takes the match and mask of its name's
// catch-all row (the published encoding); the other rows give their own.

#include <cstdint>
#include <cstdio>

#include "disassembler.h"
#include "insn_ids.h"
#include "isa_parser.h"
#include "tables/groups.h"
#include "tables/table_rows.h"

namespace {

using e = table_entry_t;

using namespace short_format;

// Operand forms of single entries; vector entries record no operand flags.
namespace form {
constexpr insn_format_t vsetivli{0, 0, 3, {&int_rd_arg, &zimm5_arg, &vtype_arg}};
constexpr insn_format_t vsetvli{0, 0, 3, {&int_rd_arg, &int_rs1_arg, &vtype_arg}};
// Loads and stores: the data register, the base address, then the stride or
// index register where the family has one.
constexpr insn_format_t vd_address{0, 0, 4, {&vec_rd_arg, &vec_address_arg, nullptr, &vmask_arg}};
constexpr insn_format_t vs3_address{
    0, 0, 4, {&vec_vs3_arg, &vec_address_arg, nullptr, &vmask_arg}};
constexpr insn_format_t vd_address_vs2{
    0, 0, 5, {&vec_rd_arg, &vec_address_arg, &vec_rs2_arg, nullptr, &vmask_arg}};
constexpr insn_format_t vs3_address_vs2{
    0, 0, 5, {&vec_vs3_arg, &vec_address_arg, &vec_rs2_arg, nullptr, &vmask_arg}};
constexpr insn_format_t vd_address_rs2{
    0, 0, 5, {&vec_rd_arg, &vec_address_arg, &int_rs2_arg, nullptr, &vmask_arg}};
constexpr insn_format_t vs3_address_rs2{
    0, 0, 5, {&vec_vs3_arg, &vec_address_arg, &int_rs2_arg, nullptr, &vmask_arg}};
constexpr insn_format_t vs3_address_unmasked{0, 0, 2, {&vec_vs3_arg, &vec_address_arg}};
// Moves and mask operations.
constexpr insn_format_t vd_simm5{0, 0, 2, {&vec_rd_arg, &simm5_arg}};
constexpr insn_format_t vd_vs1{0, 0, 2, {&vec_rd_arg, &vec_rs1_arg}};
constexpr insn_format_t vd_rs1{0, 0, 2, {&vec_rd_arg, &int_rs1_arg}};
constexpr insn_format_t vd_vs2{0, 0, 2, {&vec_rd_arg, &vec_rs2_arg}};
constexpr insn_format_t vd_fs1{0, 0, 2, {&vec_rd_arg, &fp_rs1_arg}};
constexpr insn_format_t rd_vs2{0, 0, 2, {&int_rd_arg, &vec_rs2_arg}};
constexpr insn_format_t fd_vs2{0, 0, 2, {&fp_rd_arg, &vec_rs2_arg}};
constexpr insn_format_t rd_vs2_vm{0, 0, 4, {&int_rd_arg, &vec_rs2_arg, nullptr, &vmask_arg}};
constexpr insn_format_t vd_vm{0, 0, 3, {&vec_rd_arg, nullptr, &vmask_arg}};
constexpr insn_format_t vd_vs2_vs1{0, 0, 3, {&vec_rd_arg, &vec_rs2_arg, &vec_rs1_arg}};
constexpr insn_format_t vd_vs2_fs1_v0{
    0, 0, 4, {&vec_rd_arg, &vec_rs2_arg, &fp_rs1_arg, &v0_fixed_arg}};
}  // namespace form

// Configuration and the mask loads and stores, ahead of the generated families.
constexpr e vector_setup[] = {
    {form::vsetivli, "vsetivli", 0xc0007057, 0xc000707f},
    {form::vsetvli, "vsetvli", 0x00007057, 0x8000707f},
    {R, "vsetvl"},
    {form::vd_address, "vlm_v", 0x02b00007, 0xfff0707f},
    {form::vs3_address, "vsm_v", 0x02b00027, 0xfff0707f},
};

// The load and store families generated for every element width and field
// count. Each member carries the identifier of its family's 8-bit,
// single-field member.
struct load_store_family_t {
  char const* name_format;  // filled with the segment text and the width
  uint64_t match;
  uint64_t mask;
  unsigned long id;
  insn_format_t const* format;
};
constexpr load_store_family_t load_store_families[] = {
    {"vl%se%d.v", 0x0000007, 0x1df0707f, insn_id("vle8_v"), &form::vd_address},
    {"vs%se%d.v", 0x0000027, 0x1df0707f, insn_id("vse8_v"), &form::vs3_address},
    {"vlux%sei%d.v", 0x4000007, 0x1c00707f, insn_id("vluxei8_v"), &form::vd_address_vs2},
    {"vsux%sei%d.v", 0x4000027, 0x1c00707f, insn_id("vsuxei8_v"), &form::vs3_address_vs2},
    {"vls%se%d.v", 0x8000007, 0x1c00707f, insn_id("vlse8_v"), &form::vd_address_rs2},
    {"vss%se%d.v", 0x8000027, 0x1c00707f, insn_id("vsse8_v"), &form::vs3_address_rs2},
    {"vlox%sei%d.v", 0xc000007, 0x1c00707f, insn_id("vloxei8_v"), &form::vd_address_vs2},
    {"vsox%sei%d.v", 0xc000027, 0x1c00707f, insn_id("vsoxei8_v"), &form::vs3_address_vs2},
    {"vl%se%dff.v", 0x1000007, 0x1df0707f, insn_id("vle8ff_v"), &form::vd_address},
};
// Width fields (mew, bit 28, and bits 14..12) of the element widths 8 to 1024.
constexpr uint64_t width_codes[8] = {0x0,        0x5000,     0x6000,     0x7000,
                                     0x10000000, 0x10005000, 0x10006000, 0x10007000};
constexpr uint64_t field_count_mask = 0xe0000000;  // nf, bits 31..29
constexpr unsigned whole_register_counts[] = {8, 4, 2, 1};
constexpr unsigned long whole_register_load_id = insn_id("vl1re8_v");

void add_load_store_families(disassembler_t& d) {
  char name[128];
  char segment[16];
  for (unsigned e = 0; e < 8; ++e) {
    unsigned const width = 8u << e;
    for (uint64_t nf = 0; nf < 8; ++nf) {
      if (nf == 0)
        segment[0] = '\0';
      else
        std::snprintf(segment, sizeof segment, "seg%u", unsigned(nf + 1));
      for (load_store_family_t const& f : load_store_families) {
        std::snprintf(name, sizeof name, f.name_format, segment, width);
        uint64_t const match = ((f.match | nf << 29) & 0xefff8fff) | width_codes[e];
        add_format_insn(d, *f.format, name, name, match, f.mask | field_count_mask, f.id);
      }
    }
    for (unsigned n : whole_register_counts) {
      std::snprintf(name, sizeof name, "vl%ure%u.v", n, width);
      uint64_t const match = uint64_t(n - 1) << 29 | width_codes[e] | 0x2800007;
      add_format_insn(d, form::vd_address, name, name, match, 0xfff0707f, whole_register_load_id);
    }
  }
}

constexpr e whole_register_stores[] = {
    {form::vs3_address_unmasked, "vs1r_v", 0x02800027, 0xfff0707f},
    {form::vs3_address_unmasked, "vs2r_v", 0x22800027, 0xfff0707f},
    {form::vs3_address_unmasked, "vs4r_v", 0x62800027, 0xfff0707f},
    {form::vs3_address_unmasked, "vs8r_v", 0xe2800027, 0xfff0707f},
};

// Integer, fixed-point, mask, permutation and floating-point arithmetic.
constexpr e vector_arithmetic[] = {
    {VV, "vadd_vv"}, {VX, "vadd_vx"}, {VI, "vadd_vi"}, {VV, "vsub_vv"}, {VX, "vsub_vx"},
    {VX, "vrsub_vx"}, {VI, "vrsub_vi"}, {VV, "vminu_vv"}, {VX, "vminu_vx"}, {VV, "vmin_vv"},
    {VX, "vmin_vx"}, {VV, "vmaxu_vv"}, {VX, "vmaxu_vx"}, {VV, "vmax_vv"}, {VX, "vmax_vx"},
    {VV, "vand_vv"}, {VX, "vand_vx"}, {VI, "vand_vi"}, {VV, "vor_vv"}, {VX, "vor_vx"},
    {VI, "vor_vi"}, {VV, "vxor_vv"}, {VX, "vxor_vx"}, {VI, "vxor_vi"}, {VV, "vrgather_vv"},
    {VX, "vrgather_vx"}, {VU, "vrgather_vi"}, {VV, "vrgatherei16_vv"}, {VX, "vslideup_vx"},
    {VU, "vslideup_vi"}, {VX, "vslidedown_vx"}, {VU, "vslidedown_vi"}, {VVM, "vadc_vvm"},
    {VXM, "vadc_vxm"}, {VIM, "vadc_vim"}, {VVM, "vsbc_vvm"}, {VXM, "vsbc_vxm"}, {VVM, "vmadc_vvm"},
    {VXM, "vmadc_vxm"}, {VIM, "vmadc_vim"}, {VV, "vmadc_vv"}, {VX, "vmadc_vx"}, {VI, "vmadc_vi"},
    {VVM, "vmsbc_vvm"}, {VXM, "vmsbc_vxm"}, {VV, "vmsbc_vv"}, {VX, "vmsbc_vx"},
    {VVM, "vmerge_vvm"}, {VXM, "vmerge_vxm"}, {VIM, "vmerge_vim"},
    {form::vd_simm5, "vmv_v_i", 0x5e003057, 0xfff0707f},
    {form::vd_vs1, "vmv_v_v", 0x5e000057, 0xfff0707f},
    {form::vd_rs1, "vmv_v_x", 0x5e004057, 0xfff0707f}, {VV, "vmseq_vv"}, {VX, "vmseq_vx"},
    {VI, "vmseq_vi"}, {VV, "vmsne_vv"}, {VX, "vmsne_vx"}, {VI, "vmsne_vi"}, {VV, "vmsltu_vv"},
    {VX, "vmsltu_vx"}, {VV, "vmslt_vv"}, {VX, "vmslt_vx"}, {VV, "vmsleu_vv"}, {VX, "vmsleu_vx"},
    {VU, "vmsleu_vi"}, {VV, "vmsle_vv"}, {VX, "vmsle_vx"}, {VI, "vmsle_vi"}, {VX, "vmsgtu_vx"},
    {VU, "vmsgtu_vi"}, {VX, "vmsgt_vx"}, {VI, "vmsgt_vi"}, {VV, "vsaddu_vv"}, {VX, "vsaddu_vx"},
    {VU, "vsaddu_vi"}, {VV, "vsadd_vv"}, {VX, "vsadd_vx"}, {VI, "vsadd_vi"}, {VV, "vssubu_vv"},
    {VX, "vssubu_vx"}, {VV, "vssub_vv"}, {VX, "vssub_vx"}, {VV, "vsll_vv"}, {VX, "vsll_vx"},
    {VI, "vsll_vi"}, {form::vd_vs2, "vmv1r_v", 0x9e003057, 0xfe0ff07f},
    {form::vd_vs2, "vmv2r_v", 0x9e00b057, 0xfe0ff07f},
    {form::vd_vs2, "vmv4r_v", 0x9e01b057, 0xfe0ff07f},
    {form::vd_vs2, "vmv8r_v", 0x9e03b057, 0xfe0ff07f}, {VV, "vsmul_vv"}, {VX, "vsmul_vx"},
    {VV, "vsrl_vv"}, {VX, "vsrl_vx"}, {VU, "vsrl_vi"}, {VV, "vsra_vv"}, {VX, "vsra_vx"},
    {VU, "vsra_vi"}, {VV, "vssrl_vv"}, {VX, "vssrl_vx"}, {VU, "vssrl_vi"}, {VV, "vssra_vv"},
    {VX, "vssra_vx"}, {VU, "vssra_vi"}, {VV, "vnsrl_wv"}, {VX, "vnsrl_wx"}, {VU, "vnsrl_wi"},
    {VV, "vnsra_wv"}, {VX, "vnsra_wx"}, {VU, "vnsra_wi"}, {VV, "vnclipu_wv"}, {VX, "vnclipu_wx"},
    {VU, "vnclipu_wi"}, {VV, "vnclip_wv"}, {VX, "vnclip_wx"}, {VU, "vnclip_wi"},
    {VV, "vwredsumu_vs"}, {VV, "vwredsum_vs"}, {VV, "vaaddu_vv"}, {VX, "vaaddu_vx"},
    {VV, "vaadd_vv"}, {VX, "vaadd_vx"}, {VV, "vasubu_vv"}, {VX, "vasubu_vx"}, {VV, "vasub_vv"},
    {VX, "vasub_vx"}, {VV, "vredsum_vs"}, {VV, "vredand_vs"}, {VV, "vredor_vs"},
    {VV, "vredxor_vs"}, {VV, "vredminu_vs"}, {VV, "vredmin_vs"}, {VV, "vredmaxu_vs"},
    {VV, "vredmax_vs"}, {VX, "vslide1up_vx"}, {VX, "vslide1down_vx"},
    {form::rd_vs2, "vmv_x_s", 0x42002057, 0xfe0ff07f},
    {form::rd_vs2_vm, "vcpop_m", 0x40082057, 0xfc0ff07f},
    {form::rd_vs2_vm, "vfirst_m", 0x4008a057, 0xfc0ff07f},
    {form::vd_rs1, "vmv_s_x", 0x42006057, 0xfff0707f}, {V, "vzext_vf2"}, {V, "vsext_vf2"},
    {V, "vzext_vf4"}, {V, "vsext_vf4"}, {V, "vzext_vf8"}, {V, "vsext_vf8"}, {V, "vmsbf_m"},
    {V, "vmsof_m"}, {V, "vmsif_m"}, {V, "viota_m"}, {form::vd_vm, "vid_v", 0x5008a057, 0xfdfff07f},
    {form::vd_vs2_vs1, "vcompress_vm", 0x5e002057, 0xfe00707f}, {VV, "vmandn_mm"},
    {VV, "vmand_mm"}, {VV, "vmor_mm"}, {VV, "vmxor_mm"}, {VV, "vmorn_mm"}, {VV, "vmnand_mm"},
    {VV, "vmnor_mm"}, {VV, "vmxnor_mm"}, {VV, "vdivu_vv"}, {VX, "vdivu_vx"}, {VV, "vdiv_vv"},
    {VX, "vdiv_vx"}, {VV, "vremu_vv"}, {VX, "vremu_vx"}, {VV, "vrem_vv"}, {VX, "vrem_vx"},
    {VV, "vmulhu_vv"}, {VX, "vmulhu_vx"}, {VV, "vmul_vv"}, {VX, "vmul_vx"}, {VV, "vmulhsu_vv"},
    {VX, "vmulhsu_vx"}, {VV, "vmulh_vv"}, {VX, "vmulh_vx"}, {VV, "vmadd_vv"}, {VX, "vmadd_vx"},
    {VV, "vnmsub_vv"}, {VX, "vnmsub_vx"}, {VV, "vmacc_vv"}, {VX, "vmacc_vx"}, {VV, "vnmsac_vv"},
    {VX, "vnmsac_vx"}, {VV, "vwaddu_vv"}, {VX, "vwaddu_vx"}, {VV, "vwadd_vv"}, {VX, "vwadd_vx"},
    {VV, "vwsubu_vv"}, {VX, "vwsubu_vx"}, {VV, "vwsub_vv"}, {VX, "vwsub_vx"}, {VV, "vwaddu_wv"},
    {VX, "vwaddu_wx"}, {VV, "vwadd_wv"}, {VX, "vwadd_wx"}, {VV, "vwsubu_wv"}, {VX, "vwsubu_wx"},
    {VV, "vwsub_wv"}, {VX, "vwsub_wx"}, {VV, "vwmulu_vv"}, {VX, "vwmulu_vx"}, {VV, "vwmulsu_vv"},
    {VX, "vwmulsu_vx"}, {VV, "vwmul_vv"}, {VX, "vwmul_vx"}, {VV, "vwmaccu_vv"}, {VX, "vwmaccu_vx"},
    {VV, "vwmacc_vv"}, {VX, "vwmacc_vx"}, {VX, "vwmaccus_vx"}, {VV, "vwmaccsu_vv"},
    {VX, "vwmaccsu_vx"}, {VV, "vfadd_vv"}, {VF, "vfadd_vf"}, {VV, "vfredusum_vs"},
    {VV, "vfsub_vv"}, {VF, "vfsub_vf"}, {VV, "vfredosum_vs"}, {VV, "vfmin_vv"}, {VF, "vfmin_vf"},
    {VV, "vfredmin_vs"}, {VV, "vfmax_vv"}, {VF, "vfmax_vf"}, {VV, "vfredmax_vs"},
    {VV, "vfsgnj_vv"}, {VF, "vfsgnj_vf"}, {VV, "vfsgnjn_vv"}, {VF, "vfsgnjn_vf"},
    {VV, "vfsgnjx_vv"}, {VF, "vfsgnjx_vf"}, {form::fd_vs2, "vfmv_f_s", 0x42001057, 0xfe0ff07f},
    {form::vd_fs1, "vfmv_s_f", 0x42005057, 0xfff0707f}, {VF, "vfslide1up_vf"},
    {VF, "vfslide1down_vf"}, {form::vd_vs2_fs1_v0, "vfmerge_vfm", 0x5c005057, 0xfe00707f},
    {form::vd_fs1, "vfmv_v_f", 0x5e005057, 0xfff0707f}, {VV, "vmfeq_vv"}, {VF, "vmfeq_vf"},
    {VV, "vmfle_vv"}, {VF, "vmfle_vf"}, {VV, "vmflt_vv"}, {VF, "vmflt_vf"}, {VV, "vmfne_vv"},
    {VF, "vmfne_vf"}, {VF, "vmfgt_vf"}, {VF, "vmfge_vf"}, {VV, "vfdiv_vv"}, {VF, "vfdiv_vf"},
    {VF, "vfrdiv_vf"}, {V, "vfcvt_rtz_xu_f_v"}, {V, "vfcvt_rtz_x_f_v"}, {V, "vfcvt_xu_f_v"},
    {V, "vfcvt_x_f_v"}, {V, "vfcvt_f_xu_v"}, {V, "vfcvt_f_x_v"}, {V, "vfwcvt_rtz_xu_f_v"},
    {V, "vfwcvt_rtz_x_f_v"}, {V, "vfwcvt_xu_f_v"}, {V, "vfwcvt_x_f_v"}, {V, "vfwcvt_f_xu_v"},
    {V, "vfwcvt_f_x_v"}, {V, "vfwcvt_f_f_v"}, {V, "vfncvt_rtz_xu_f_w"}, {V, "vfncvt_rtz_x_f_w"},
    {V, "vfncvt_xu_f_w"}, {V, "vfncvt_x_f_w"}, {V, "vfncvt_f_xu_w"}, {V, "vfncvt_f_x_w"},
    {V, "vfncvt_f_f_w"}, {V, "vfncvt_rod_f_f_w"}, {V, "vfsqrt_v"}, {V, "vfrsqrt7_v"},
    {V, "vfrec7_v"}, {V, "vfclass_v"}, {VV, "vfmul_vv"}, {VF, "vfmul_vf"}, {VF, "vfrsub_vf"},
    {VV, "vfmadd_vv"}, {VF, "vfmadd_vf"}, {VV, "vfnmadd_vv"}, {VF, "vfnmadd_vf"},
    {VV, "vfmsub_vv"}, {VF, "vfmsub_vf"}, {VV, "vfnmsub_vv"}, {VF, "vfnmsub_vf"},
    {VV, "vfmacc_vv"}, {VF, "vfmacc_vf"}, {VV, "vfnmacc_vv"}, {VF, "vfnmacc_vf"},
    {VV, "vfmsac_vv"}, {VF, "vfmsac_vf"}, {VV, "vfnmsac_vv"}, {VF, "vfnmsac_vf"},
    {VV, "vfwadd_vv"}, {VF, "vfwadd_vf"}, {VV, "vfwredusum_vs"}, {VV, "vfwsub_vv"},
    {VF, "vfwsub_vf"}, {VV, "vfwredosum_vs"}, {VV, "vfwadd_wv"}, {VF, "vfwadd_wf"},
    {VV, "vfwsub_wv"}, {VF, "vfwsub_wf"}, {VV, "vfwmul_vv"}, {VF, "vfwmul_vf"}, {VV, "vfwmacc_vv"},
    {VF, "vfwmacc_vf"}, {VV, "vfwnmacc_vv"}, {VF, "vfwnmacc_vf"}, {VV, "vfwmsac_vv"},
    {VF, "vfwmsac_vf"}, {VV, "vfwnmsac_vv"}, {VF, "vfwnmsac_vf"},
};

// zvfbfmin and zvfbfwma.
constexpr e bfloat_conversions[] = {{V, "vfncvtbf16_f_f_w"}, {V, "vfwcvtbf16_f_f_v"}};
constexpr e bfloat_widening_macc[] = {{VV, "vfwmaccbf16_vv"}, {VF, "vfwmaccbf16_vf"}};

}  // namespace

void add_vector_groups(disassembler_t& d, isa_parser_i const* isa) {
  if (isa->has_any_vector()) {
    add_entries(d, vector_setup);
    add_load_store_families(d);
    add_entries(d, whole_register_stores);
    add_entries(d, vector_arithmetic);
  }
  if (isa->extension_enabled(EXT_ZVFBFMIN)) add_entries(d, bfloat_conversions);
  if (isa->extension_enabled(EXT_ZVFBFWMA)) add_entries(d, bfloat_widening_macc);
}
