// The vector half of the instruction table: the vector extension with its
// generated load and store families, then the vector BF16 conversions.
//
// A row given only with a format takes the match and mask of its name's
// catch-all row (the published encoding); the other rows give their own.

#include <cstdint>
#include <cstdio>

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "disasm/isa_parser.h"
#include "disasm/tables/groups.h"
#include "disasm/tables/table_rows.h"

namespace {

using namespace insn_format;
using e = table_entry_t;

// Configuration and the mask loads and stores, ahead of the generated families.
constexpr e vector_setup[] = {
    {rd_zimm5_vtype, "vsetivli", 0xc0007057, 0xc000707f},
    {rd_rs1_vtype, "vsetvli", 0x00007057, 0x8000707f},
    {rd_rs1_rs2, "vsetvl"},
    {vd_at_rs1_vm, "vlm_v", 0x02b00007, 0xfff0707f},
    {vs3_at_rs1_vm, "vsm_v", 0x02b00027, 0xfff0707f},
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
    {"vl%se%d.v", 0x0000007, 0x1df0707f, insn_id("vle8_v"), &vd_at_rs1_vm},
    {"vs%se%d.v", 0x0000027, 0x1df0707f, insn_id("vse8_v"), &vs3_at_rs1_vm},
    {"vlux%sei%d.v", 0x4000007, 0x1c00707f, insn_id("vluxei8_v"), &vd_at_rs1_vs2_vm},
    {"vsux%sei%d.v", 0x4000027, 0x1c00707f, insn_id("vsuxei8_v"), &vs3_at_rs1_vs2_vm},
    {"vls%se%d.v", 0x8000007, 0x1c00707f, insn_id("vlse8_v"), &vd_at_rs1_rs2_vm},
    {"vss%se%d.v", 0x8000027, 0x1c00707f, insn_id("vsse8_v"), &vs3_at_rs1_rs2_vm},
    {"vlox%sei%d.v", 0xc000007, 0x1c00707f, insn_id("vloxei8_v"), &vd_at_rs1_vs2_vm},
    {"vsox%sei%d.v", 0xc000027, 0x1c00707f, insn_id("vsoxei8_v"), &vs3_at_rs1_vs2_vm},
    {"vl%se%dff.v", 0x1000007, 0x1df0707f, insn_id("vle8ff_v"), &vd_at_rs1_vm},
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
      add_format_insn(d, vd_at_rs1_vm, name, name, match, 0xfff0707f, whole_register_load_id);
    }
  }
}

constexpr e whole_register_stores[] = {
    {vs3_at_rs1, "vs1r_v", 0x02800027, 0xfff0707f},
    {vs3_at_rs1, "vs2r_v", 0x22800027, 0xfff0707f},
    {vs3_at_rs1, "vs4r_v", 0x62800027, 0xfff0707f},
    {vs3_at_rs1, "vs8r_v", 0xe2800027, 0xfff0707f},
};

// Integer, fixed-point, mask, permutation and floating-point arithmetic.
constexpr e vector_arithmetic[] = {
    {vd_vs2_vs1_vm, "vadd_vv"}, {vd_vs2_rs1_vm, "vadd_vx"}, {vd_vs2_simm5_vm, "vadd_vi"},
    {vd_vs2_vs1_vm, "vsub_vv"}, {vd_vs2_rs1_vm, "vsub_vx"}, {vd_vs2_rs1_vm, "vrsub_vx"},
    {vd_vs2_simm5_vm, "vrsub_vi"}, {vd_vs2_vs1_vm, "vminu_vv"}, {vd_vs2_rs1_vm, "vminu_vx"},
    {vd_vs2_vs1_vm, "vmin_vv"}, {vd_vs2_rs1_vm, "vmin_vx"}, {vd_vs2_vs1_vm, "vmaxu_vv"},
    {vd_vs2_rs1_vm, "vmaxu_vx"}, {vd_vs2_vs1_vm, "vmax_vv"}, {vd_vs2_rs1_vm, "vmax_vx"},
    {vd_vs2_vs1_vm, "vand_vv"}, {vd_vs2_rs1_vm, "vand_vx"}, {vd_vs2_simm5_vm, "vand_vi"},
    {vd_vs2_vs1_vm, "vor_vv"}, {vd_vs2_rs1_vm, "vor_vx"}, {vd_vs2_simm5_vm, "vor_vi"},
    {vd_vs2_vs1_vm, "vxor_vv"}, {vd_vs2_rs1_vm, "vxor_vx"}, {vd_vs2_simm5_vm, "vxor_vi"},
    {vd_vs2_vs1_vm, "vrgather_vv"}, {vd_vs2_rs1_vm, "vrgather_vx"},
    {vd_vs2_zimm5_vm, "vrgather_vi"}, {vd_vs2_vs1_vm, "vrgatherei16_vv"},
    {vd_vs2_rs1_vm, "vslideup_vx"}, {vd_vs2_zimm5_vm, "vslideup_vi"},
    {vd_vs2_rs1_vm, "vslidedown_vx"}, {vd_vs2_zimm5_vm, "vslidedown_vi"},
    {vd_vs2_vs1_v0, "vadc_vvm"}, {vd_vs2_rs1_v0, "vadc_vxm"}, {vd_vs2_simm5_v0, "vadc_vim"},
    {vd_vs2_vs1_v0, "vsbc_vvm"}, {vd_vs2_rs1_v0, "vsbc_vxm"}, {vd_vs2_vs1_v0, "vmadc_vvm"},
    {vd_vs2_rs1_v0, "vmadc_vxm"}, {vd_vs2_simm5_v0, "vmadc_vim"}, {vd_vs2_vs1_vm, "vmadc_vv"},
    {vd_vs2_rs1_vm, "vmadc_vx"}, {vd_vs2_simm5_vm, "vmadc_vi"}, {vd_vs2_vs1_v0, "vmsbc_vvm"},
    {vd_vs2_rs1_v0, "vmsbc_vxm"}, {vd_vs2_vs1_vm, "vmsbc_vv"}, {vd_vs2_rs1_vm, "vmsbc_vx"},
    {vd_vs2_vs1_v0, "vmerge_vvm"}, {vd_vs2_rs1_v0, "vmerge_vxm"}, {vd_vs2_simm5_v0, "vmerge_vim"},
    {vd_simm5, "vmv_v_i", 0x5e003057, 0xfff0707f}, {vd_vs1, "vmv_v_v", 0x5e000057, 0xfff0707f},
    {vd_rs1, "vmv_v_x", 0x5e004057, 0xfff0707f}, {vd_vs2_vs1_vm, "vmseq_vv"},
    {vd_vs2_rs1_vm, "vmseq_vx"}, {vd_vs2_simm5_vm, "vmseq_vi"}, {vd_vs2_vs1_vm, "vmsne_vv"},
    {vd_vs2_rs1_vm, "vmsne_vx"}, {vd_vs2_simm5_vm, "vmsne_vi"}, {vd_vs2_vs1_vm, "vmsltu_vv"},
    {vd_vs2_rs1_vm, "vmsltu_vx"}, {vd_vs2_vs1_vm, "vmslt_vv"}, {vd_vs2_rs1_vm, "vmslt_vx"},
    {vd_vs2_vs1_vm, "vmsleu_vv"}, {vd_vs2_rs1_vm, "vmsleu_vx"}, {vd_vs2_zimm5_vm, "vmsleu_vi"},
    {vd_vs2_vs1_vm, "vmsle_vv"}, {vd_vs2_rs1_vm, "vmsle_vx"}, {vd_vs2_simm5_vm, "vmsle_vi"},
    {vd_vs2_rs1_vm, "vmsgtu_vx"}, {vd_vs2_zimm5_vm, "vmsgtu_vi"}, {vd_vs2_rs1_vm, "vmsgt_vx"},
    {vd_vs2_simm5_vm, "vmsgt_vi"}, {vd_vs2_vs1_vm, "vsaddu_vv"}, {vd_vs2_rs1_vm, "vsaddu_vx"},
    {vd_vs2_zimm5_vm, "vsaddu_vi"}, {vd_vs2_vs1_vm, "vsadd_vv"}, {vd_vs2_rs1_vm, "vsadd_vx"},
    {vd_vs2_simm5_vm, "vsadd_vi"}, {vd_vs2_vs1_vm, "vssubu_vv"}, {vd_vs2_rs1_vm, "vssubu_vx"},
    {vd_vs2_vs1_vm, "vssub_vv"}, {vd_vs2_rs1_vm, "vssub_vx"}, {vd_vs2_vs1_vm, "vsll_vv"},
    {vd_vs2_rs1_vm, "vsll_vx"}, {vd_vs2_simm5_vm, "vsll_vi"},
    {vd_vs2, "vmv1r_v", 0x9e003057, 0xfe0ff07f}, {vd_vs2, "vmv2r_v", 0x9e00b057, 0xfe0ff07f},
    {vd_vs2, "vmv4r_v", 0x9e01b057, 0xfe0ff07f}, {vd_vs2, "vmv8r_v", 0x9e03b057, 0xfe0ff07f},
    {vd_vs2_vs1_vm, "vsmul_vv"}, {vd_vs2_rs1_vm, "vsmul_vx"}, {vd_vs2_vs1_vm, "vsrl_vv"},
    {vd_vs2_rs1_vm, "vsrl_vx"}, {vd_vs2_zimm5_vm, "vsrl_vi"}, {vd_vs2_vs1_vm, "vsra_vv"},
    {vd_vs2_rs1_vm, "vsra_vx"}, {vd_vs2_zimm5_vm, "vsra_vi"}, {vd_vs2_vs1_vm, "vssrl_vv"},
    {vd_vs2_rs1_vm, "vssrl_vx"}, {vd_vs2_zimm5_vm, "vssrl_vi"}, {vd_vs2_vs1_vm, "vssra_vv"},
    {vd_vs2_rs1_vm, "vssra_vx"}, {vd_vs2_zimm5_vm, "vssra_vi"}, {vd_vs2_vs1_vm, "vnsrl_wv"},
    {vd_vs2_rs1_vm, "vnsrl_wx"}, {vd_vs2_zimm5_vm, "vnsrl_wi"}, {vd_vs2_vs1_vm, "vnsra_wv"},
    {vd_vs2_rs1_vm, "vnsra_wx"}, {vd_vs2_zimm5_vm, "vnsra_wi"}, {vd_vs2_vs1_vm, "vnclipu_wv"},
    {vd_vs2_rs1_vm, "vnclipu_wx"}, {vd_vs2_zimm5_vm, "vnclipu_wi"}, {vd_vs2_vs1_vm, "vnclip_wv"},
    {vd_vs2_rs1_vm, "vnclip_wx"}, {vd_vs2_zimm5_vm, "vnclip_wi"}, {vd_vs2_vs1_vm, "vwredsumu_vs"},
    {vd_vs2_vs1_vm, "vwredsum_vs"}, {vd_vs2_vs1_vm, "vaaddu_vv"}, {vd_vs2_rs1_vm, "vaaddu_vx"},
    {vd_vs2_vs1_vm, "vaadd_vv"}, {vd_vs2_rs1_vm, "vaadd_vx"}, {vd_vs2_vs1_vm, "vasubu_vv"},
    {vd_vs2_rs1_vm, "vasubu_vx"}, {vd_vs2_vs1_vm, "vasub_vv"}, {vd_vs2_rs1_vm, "vasub_vx"},
    {vd_vs2_vs1_vm, "vredsum_vs"}, {vd_vs2_vs1_vm, "vredand_vs"}, {vd_vs2_vs1_vm, "vredor_vs"},
    {vd_vs2_vs1_vm, "vredxor_vs"}, {vd_vs2_vs1_vm, "vredminu_vs"}, {vd_vs2_vs1_vm, "vredmin_vs"},
    {vd_vs2_vs1_vm, "vredmaxu_vs"}, {vd_vs2_vs1_vm, "vredmax_vs"}, {vd_vs2_rs1_vm, "vslide1up_vx"},
    {vd_vs2_rs1_vm, "vslide1down_vx"}, {rd_vs2, "vmv_x_s", 0x42002057, 0xfe0ff07f},
    {rd_vs2_vm, "vcpop_m", 0x40082057, 0xfc0ff07f}, {rd_vs2_vm, "vfirst_m", 0x4008a057, 0xfc0ff07f},
    {vd_rs1, "vmv_s_x", 0x42006057, 0xfff0707f}, {vd_vs2_vm, "vzext_vf2"}, {vd_vs2_vm, "vsext_vf2"},
    {vd_vs2_vm, "vzext_vf4"}, {vd_vs2_vm, "vsext_vf4"}, {vd_vs2_vm, "vzext_vf8"},
    {vd_vs2_vm, "vsext_vf8"}, {vd_vs2_vm, "vmsbf_m"}, {vd_vs2_vm, "vmsof_m"},
    {vd_vs2_vm, "vmsif_m"}, {vd_vs2_vm, "viota_m"}, {vd_vm, "vid_v", 0x5008a057, 0xfdfff07f},
    {vd_vs2_vs1, "vcompress_vm", 0x5e002057, 0xfe00707f}, {vd_vs2_vs1_vm, "vmandn_mm"},
    {vd_vs2_vs1_vm, "vmand_mm"}, {vd_vs2_vs1_vm, "vmor_mm"}, {vd_vs2_vs1_vm, "vmxor_mm"},
    {vd_vs2_vs1_vm, "vmorn_mm"}, {vd_vs2_vs1_vm, "vmnand_mm"}, {vd_vs2_vs1_vm, "vmnor_mm"},
    {vd_vs2_vs1_vm, "vmxnor_mm"}, {vd_vs2_vs1_vm, "vdivu_vv"}, {vd_vs2_rs1_vm, "vdivu_vx"},
    {vd_vs2_vs1_vm, "vdiv_vv"}, {vd_vs2_rs1_vm, "vdiv_vx"}, {vd_vs2_vs1_vm, "vremu_vv"},
    {vd_vs2_rs1_vm, "vremu_vx"}, {vd_vs2_vs1_vm, "vrem_vv"}, {vd_vs2_rs1_vm, "vrem_vx"},
    {vd_vs2_vs1_vm, "vmulhu_vv"}, {vd_vs2_rs1_vm, "vmulhu_vx"}, {vd_vs2_vs1_vm, "vmul_vv"},
    {vd_vs2_rs1_vm, "vmul_vx"}, {vd_vs2_vs1_vm, "vmulhsu_vv"}, {vd_vs2_rs1_vm, "vmulhsu_vx"},
    {vd_vs2_vs1_vm, "vmulh_vv"}, {vd_vs2_rs1_vm, "vmulh_vx"}, {vd_vs2_vs1_vm, "vmadd_vv"},
    {vd_vs2_rs1_vm, "vmadd_vx"}, {vd_vs2_vs1_vm, "vnmsub_vv"}, {vd_vs2_rs1_vm, "vnmsub_vx"},
    {vd_vs2_vs1_vm, "vmacc_vv"}, {vd_vs2_rs1_vm, "vmacc_vx"}, {vd_vs2_vs1_vm, "vnmsac_vv"},
    {vd_vs2_rs1_vm, "vnmsac_vx"}, {vd_vs2_vs1_vm, "vwaddu_vv"}, {vd_vs2_rs1_vm, "vwaddu_vx"},
    {vd_vs2_vs1_vm, "vwadd_vv"}, {vd_vs2_rs1_vm, "vwadd_vx"}, {vd_vs2_vs1_vm, "vwsubu_vv"},
    {vd_vs2_rs1_vm, "vwsubu_vx"}, {vd_vs2_vs1_vm, "vwsub_vv"}, {vd_vs2_rs1_vm, "vwsub_vx"},
    {vd_vs2_vs1_vm, "vwaddu_wv"}, {vd_vs2_rs1_vm, "vwaddu_wx"}, {vd_vs2_vs1_vm, "vwadd_wv"},
    {vd_vs2_rs1_vm, "vwadd_wx"}, {vd_vs2_vs1_vm, "vwsubu_wv"}, {vd_vs2_rs1_vm, "vwsubu_wx"},
    {vd_vs2_vs1_vm, "vwsub_wv"}, {vd_vs2_rs1_vm, "vwsub_wx"}, {vd_vs2_vs1_vm, "vwmulu_vv"},
    {vd_vs2_rs1_vm, "vwmulu_vx"}, {vd_vs2_vs1_vm, "vwmulsu_vv"}, {vd_vs2_rs1_vm, "vwmulsu_vx"},
    {vd_vs2_vs1_vm, "vwmul_vv"}, {vd_vs2_rs1_vm, "vwmul_vx"}, {vd_vs2_vs1_vm, "vwmaccu_vv"},
    {vd_vs2_rs1_vm, "vwmaccu_vx"}, {vd_vs2_vs1_vm, "vwmacc_vv"}, {vd_vs2_rs1_vm, "vwmacc_vx"},
    {vd_vs2_rs1_vm, "vwmaccus_vx"}, {vd_vs2_vs1_vm, "vwmaccsu_vv"}, {vd_vs2_rs1_vm, "vwmaccsu_vx"},
    {vd_vs2_vs1_vm, "vfadd_vv"}, {vd_vs2_fs1_vm, "vfadd_vf"}, {vd_vs2_vs1_vm, "vfredusum_vs"},
    {vd_vs2_vs1_vm, "vfsub_vv"}, {vd_vs2_fs1_vm, "vfsub_vf"}, {vd_vs2_vs1_vm, "vfredosum_vs"},
    {vd_vs2_vs1_vm, "vfmin_vv"}, {vd_vs2_fs1_vm, "vfmin_vf"}, {vd_vs2_vs1_vm, "vfredmin_vs"},
    {vd_vs2_vs1_vm, "vfmax_vv"}, {vd_vs2_fs1_vm, "vfmax_vf"}, {vd_vs2_vs1_vm, "vfredmax_vs"},
    {vd_vs2_vs1_vm, "vfsgnj_vv"}, {vd_vs2_fs1_vm, "vfsgnj_vf"}, {vd_vs2_vs1_vm, "vfsgnjn_vv"},
    {vd_vs2_fs1_vm, "vfsgnjn_vf"}, {vd_vs2_vs1_vm, "vfsgnjx_vv"}, {vd_vs2_fs1_vm, "vfsgnjx_vf"},
    {fd_vs2, "vfmv_f_s", 0x42001057, 0xfe0ff07f}, {vd_fs1, "vfmv_s_f", 0x42005057, 0xfff0707f},
    {vd_vs2_fs1_vm, "vfslide1up_vf"}, {vd_vs2_fs1_vm, "vfslide1down_vf"},
    {vd_vs2_fs1_v0, "vfmerge_vfm", 0x5c005057, 0xfe00707f},
    {vd_fs1, "vfmv_v_f", 0x5e005057, 0xfff0707f}, {vd_vs2_vs1_vm, "vmfeq_vv"},
    {vd_vs2_fs1_vm, "vmfeq_vf"}, {vd_vs2_vs1_vm, "vmfle_vv"}, {vd_vs2_fs1_vm, "vmfle_vf"},
    {vd_vs2_vs1_vm, "vmflt_vv"}, {vd_vs2_fs1_vm, "vmflt_vf"}, {vd_vs2_vs1_vm, "vmfne_vv"},
    {vd_vs2_fs1_vm, "vmfne_vf"}, {vd_vs2_fs1_vm, "vmfgt_vf"}, {vd_vs2_fs1_vm, "vmfge_vf"},
    {vd_vs2_vs1_vm, "vfdiv_vv"}, {vd_vs2_fs1_vm, "vfdiv_vf"}, {vd_vs2_fs1_vm, "vfrdiv_vf"},
    {vd_vs2_vm, "vfcvt_rtz_xu_f_v"}, {vd_vs2_vm, "vfcvt_rtz_x_f_v"}, {vd_vs2_vm, "vfcvt_xu_f_v"},
    {vd_vs2_vm, "vfcvt_x_f_v"}, {vd_vs2_vm, "vfcvt_f_xu_v"}, {vd_vs2_vm, "vfcvt_f_x_v"},
    {vd_vs2_vm, "vfwcvt_rtz_xu_f_v"}, {vd_vs2_vm, "vfwcvt_rtz_x_f_v"}, {vd_vs2_vm, "vfwcvt_xu_f_v"},
    {vd_vs2_vm, "vfwcvt_x_f_v"}, {vd_vs2_vm, "vfwcvt_f_xu_v"}, {vd_vs2_vm, "vfwcvt_f_x_v"},
    {vd_vs2_vm, "vfwcvt_f_f_v"}, {vd_vs2_vm, "vfncvt_rtz_xu_f_w"}, {vd_vs2_vm, "vfncvt_rtz_x_f_w"},
    {vd_vs2_vm, "vfncvt_xu_f_w"}, {vd_vs2_vm, "vfncvt_x_f_w"}, {vd_vs2_vm, "vfncvt_f_xu_w"},
    {vd_vs2_vm, "vfncvt_f_x_w"}, {vd_vs2_vm, "vfncvt_f_f_w"}, {vd_vs2_vm, "vfncvt_rod_f_f_w"},
    {vd_vs2_vm, "vfsqrt_v"}, {vd_vs2_vm, "vfrsqrt7_v"}, {vd_vs2_vm, "vfrec7_v"},
    {vd_vs2_vm, "vfclass_v"}, {vd_vs2_vs1_vm, "vfmul_vv"}, {vd_vs2_fs1_vm, "vfmul_vf"},
    {vd_vs2_fs1_vm, "vfrsub_vf"}, {vd_vs2_vs1_vm, "vfmadd_vv"}, {vd_vs2_fs1_vm, "vfmadd_vf"},
    {vd_vs2_vs1_vm, "vfnmadd_vv"}, {vd_vs2_fs1_vm, "vfnmadd_vf"}, {vd_vs2_vs1_vm, "vfmsub_vv"},
    {vd_vs2_fs1_vm, "vfmsub_vf"}, {vd_vs2_vs1_vm, "vfnmsub_vv"}, {vd_vs2_fs1_vm, "vfnmsub_vf"},
    {vd_vs2_vs1_vm, "vfmacc_vv"}, {vd_vs2_fs1_vm, "vfmacc_vf"}, {vd_vs2_vs1_vm, "vfnmacc_vv"},
    {vd_vs2_fs1_vm, "vfnmacc_vf"}, {vd_vs2_vs1_vm, "vfmsac_vv"}, {vd_vs2_fs1_vm, "vfmsac_vf"},
    {vd_vs2_vs1_vm, "vfnmsac_vv"}, {vd_vs2_fs1_vm, "vfnmsac_vf"}, {vd_vs2_vs1_vm, "vfwadd_vv"},
    {vd_vs2_fs1_vm, "vfwadd_vf"}, {vd_vs2_vs1_vm, "vfwredusum_vs"}, {vd_vs2_vs1_vm, "vfwsub_vv"},
    {vd_vs2_fs1_vm, "vfwsub_vf"}, {vd_vs2_vs1_vm, "vfwredosum_vs"}, {vd_vs2_vs1_vm, "vfwadd_wv"},
    {vd_vs2_fs1_vm, "vfwadd_wf"}, {vd_vs2_vs1_vm, "vfwsub_wv"}, {vd_vs2_fs1_vm, "vfwsub_wf"},
    {vd_vs2_vs1_vm, "vfwmul_vv"}, {vd_vs2_fs1_vm, "vfwmul_vf"}, {vd_vs2_vs1_vm, "vfwmacc_vv"},
    {vd_vs2_fs1_vm, "vfwmacc_vf"}, {vd_vs2_vs1_vm, "vfwnmacc_vv"}, {vd_vs2_fs1_vm, "vfwnmacc_vf"},
    {vd_vs2_vs1_vm, "vfwmsac_vv"}, {vd_vs2_fs1_vm, "vfwmsac_vf"}, {vd_vs2_vs1_vm, "vfwnmsac_vv"},
    {vd_vs2_fs1_vm, "vfwnmsac_vf"},
};

// zvfbfmin and zvfbfwma.
constexpr e bfloat_conversions[] = {
    {vd_vs2_vm, "vfncvtbf16_f_f_w"}, {vd_vs2_vm, "vfwcvtbf16_f_f_v"},
};
constexpr e bfloat_widening_macc[] = {
    {vd_vs2_vs1_vm, "vfwmaccbf16_vv"}, {vd_vs2_fs1_vm, "vfwmaccbf16_vf"},
};

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
