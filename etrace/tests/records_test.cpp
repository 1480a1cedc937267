#include <gtest/gtest.h>

#include <string>

#include "etrace/records/et_mode.h"
#include "etrace/records/et_object.h"
#include "etrace/stream/et_record.h"

namespace {

et_reg_t reg(bool addr_valid, uint64_t addr, bool data_valid, uint64_t data) {
  return et_reg_t{uint8_t(addr_valid), addr, uint8_t(data_valid), data};
}

// A committed machine-mode record of hart 0, uiid 12, insn_id 2.
et_insn_t base_insn() {
  et_insn_t insn{};
  insn.uiid = 12;
  insn.pc = 0x80000000;
  insn.chunk = 0x13;
  insn.pril = 3;
  insn.committed = 1;
  insn.insn_id = 2;
  return insn;
}

const std::string base_text = "(      12.0) Mc [0000000080000000]  (002) |0000000000000013|";

}  // namespace

TEST(RegText, HalvesPrintIndependently) {
  EXPECT_EQ(reg(true, 10, true, 0xff).to_string(), "[0a]=00000000000000ff");
  EXPECT_EQ(reg(false, 10, true, 0xff).to_string(), "[??]=00000000000000ff");
  EXPECT_EQ(reg(true, 31, false, 0xff).to_string(), "[1f]=????????????????");
  EXPECT_EQ(reg(false, 0, false, 0).to_string(), "[??]=????????????????");
  EXPECT_EQ(reg(true, 0, true, ~uint64_t(0)).to_string(), "[00]=ffffffffffffffff");
}

TEST(InsnText, Cases) {
  struct {
    const char* name;
    void (*change)(et_insn_t&);
    std::string expected;
  } cases[] = {
      {"base", [](et_insn_t&) {}, base_text},
      {"supervisor, not committed", [](et_insn_t& i) { i.pril = 1, i.committed = 0; },
       "(      12.0) Sx [0000000080000000]  (002) |0000000000000013|"},
      {"user", [](et_insn_t& i) { i.pril = 0; },
       "(      12.0) Uc [0000000080000000]  (002) |0000000000000013|"},
      {"reserved level 2", [](et_insn_t& i) { i.pril = 2; },
       "(      12.0) ?c [0000000080000000]  (002) |0000000000000013|"},
      {"level above 3", [](et_insn_t& i) { i.pril = 7; },
       "(      12.0) ?c [0000000080000000]  (002) |0000000000000013|"},
      {"unknown identifier", [](et_insn_t& i) { i.insn_id = ~uint64_t(0); },
       "(      12.0) Mc [0000000080000000]  (18446744073709551615) |0000000000000013|"},
      {"large identifier, uiid, hart",
       [](et_insn_t& i) { i.insn_id = 1363, i.uiid = 123456789, i.hart = 7; },
       "(123456789.7) Mc [0000000080000000]  (1363) |0000000000000013|"},
      {"operands in print order, rsd left out",
       [](et_insn_t& i) {
         i.rd = reg(true, 5, true, 0x10);
         i.frd = reg(true, 1, false, 0);
         i.rs1 = reg(true, 10, true, 0xff);
         i.rs2 = reg(false, 0, true, 0x2);
         i.rs3 = reg(true, 3, false, 0);
         i.rsd = reg(true, 4, true, 4);
         i.frs1 = reg(true, 6, true, 6);
         i.frs2 = reg(true, 7, true, 7);
         i.frs3 = reg(true, 8, true, 8);
       },
       base_text + " RS1[0a]=00000000000000ff RS2[??]=0000000000000002 RS3[03]=????????????????"
                   " FRS1[06]=0000000000000006 FRS2[07]=0000000000000007 FRS3[08]=0000000000000008"
                   " RD[05]=0000000000000010 FRD[01]=????????????????"},
      {"memory, trap and trigger fields",
       [](et_insn_t& i) {
         i.ea_valid = 1, i.ea = 0x1000;
         i.pa_valid = 1, i.pa = 0x2000;
         i.sd_valid = 1, i.sd = 0xdead;
         i.trap = 1, i.cause = 0x8000000000000007;
         i.trig = 1;
       },
       base_text + " EA=0000000000001000 PA=0000000000002000 SD=000000000000dead "
                   "CAUSE=8000000000000007 TRIG=1"},
      {"fields without their flags stay hidden",
       [](et_insn_t& i) { i.ea = 1, i.pa = 2, i.sd = 3, i.cause = 4, i.rd.addr = 5; }, base_text},
  };
  for (const auto& c : cases) {
    et_insn_t insn = base_insn();
    c.change(insn);
    EXPECT_EQ(insn.to_string(), c.expected) << c.name;
  }
}

TEST(InsnText, AppendTextAppends) {
  std::string out = "> ";
  base_insn().append_text(out);
  EXPECT_EQ(out, "> " + base_text);
}

TEST(MessageText, Rvt) {
  rvt_object_t rvt{5, 0xabc};
  EXPECT_EQ(rvt.to_string(), "D=0000000000000abc");
}

TEST(MessageText, Payloads) {
  l2t_rq_t rq{0x12345678ab, 0xabcde, 5, 200, 31, 0x7};
  EXPECT_EQ(rq.to_string(), "RID=5 ID=200 T=31 F=07 A=00000012345678ab U=abcde");
  l2t_rq_t small_u{0, 0x3, 0, 0, 0, 0x7f};
  EXPECT_EQ(small_u.to_string(), "RID=0 ID=0 T=0 F=7f A=0000000000000000 U=00003");

  l2t_wd_t wd{};
  wd.d[0] = 0x1111;
  wd.d[1] = 0x2222;
  wd.d[2] = 0x3333;  // beyond count: not printed
  wd.count = 2;
  wd.cn = 1;
  wd.psn = 0x3;
  EXPECT_EQ(wd.to_string(), "CN=1 D=00000000000022220000000000001111 PSN=3");
  wd.count = 0;
  EXPECT_EQ(wd.to_string(), "CN=1 D= PSN=3");

  EXPECT_EQ((l2t_rs_t{7, 255, 12, 0x1f}).to_string(), "RID=7 MID=255 SID=12 F=1f");
  EXPECT_EQ((l2t_rl_t{42}).to_string(), "ID=42");
  EXPECT_EQ((l2t_sr_t{0xff00, 0xa, 17, 5}).to_string(), "ID=17 T=5 A=000000000000ff00 M=0a");
  EXPECT_EQ((dct_wup_t{3, 1, 0, 0x2f, 5}).to_string(), "HID=3 GV=1 V=0:2f FS=5");
}

TEST(MessageText, Hm2) {
  l2t_hm2_t hm2{};
  hm2.id = 9;
  hm2.a = 0x100;
  hm2.iv = 1;
  EXPECT_EQ(hm2.to_string(),
            "ID=9 A=0000000000000100 OP=0000 SER=0 HV=0 IV=1 WE0=0000 WE1=0000 FEN=00000 FL=0,0,0");

  hm2.op = 0x3;
  hm2.ser = 1;
  hm2.hv = 1;
  hm2.hv_group = {0xc, 1, 0, 0xab};
  hm2.iv = 0;
  hm2.iv_group = {0x5, 0, 1, 0x10};
  hm2.vca = 0x2000;
  hm2.we0 = 0xf;
  hm2.we1 = 0xbeef;
  hm2.fen[0] = 1;
  hm2.fen[4] = 1;
  hm2.fl[0] = 1;
  hm2.fl[2] = 0xfe;  // hex: the stream's base is still hexadecimal here
  EXPECT_EQ(hm2.to_string(),
            "ID=9 A=0000000000000100 OP=0003 (CRDWFLRD) SER=1 HV=1:c:1,0,ab IV=0 Vc=5:0,1,10"
            " VcA=0000000000002000 WE0=000f WE1=beef FEN=10001 FL=1,0,fe");

  hm2.op = 0x1fff;
  const std::string all_ops = "(CRDWFLRDFSRDDSRDPRQRURQMURQRURQWURQSPRSDURSNURSDINIT)";
  EXPECT_NE(hm2.to_string().find("OP=1fff " + all_ops), std::string::npos);
}

TEST(MessageText, BrqByOperation) {
  struct {
    const char* name;
    uint8_t op, f, fs, blk_valid, blk_kind;
    std::string tail;  // after the common head
  } cases[] = {
      {"op 2 zero write with scf", 2, 0x28, 0, 0, 0, " WRD=ZERO SCF=1"},
      {"op 2 write", 2, 0x00, 0, 0, 0, " WRD=000000000000aaaa WRM=0f"},
      {"op 2 write with scf", 2, 0x08, 0, 0, 0, " WRD=000000000000aaaa WRM=0f SCF=1"},
      {"op 7 write and load", 7, 0x28, 0, 0, 0,
       " WRD=000000000000aaaa WRM=0f LDD=000000000000bbbb PSN=2"},
      {"op 4 load", 4, 0x00, 0, 0, 0, " LDD=000000000000bbbb PSN=2"},
      {"op 1 nothing", 1, 0x28, 0, 0, 0, ""},
      {"fs", 1, 0, 5, 0, 0, " FS=5"},
      {"block id", 1, 0, 0, 1, 0, " BLK=ID#3f"},
      {"block gen", 1, 0, 0, 1, 1, " BLK=GEN"},
      {"block none", 1, 0, 0, 1, 2, " BLK=NONE"},
      {"block ?", 1, 0, 0, 1, 3, " BLK=?"},
      {"block not valid", 1, 0, 0, 0, 1, ""},
  };
  for (const auto& c : cases) {
    dct_brq_t brq{};
    brq.hid = 2;
    brq.op = c.op;
    brq.f = c.f;
    brq.a = 0x40;
    brq.kl = 1;
    brq.stlb = 0;
    brq.wrd = 0xaaaa;
    brq.wrm = 0xf;
    brq.ldd = 0xbbbb;
    brq.psn = 2;
    brq.scf = 1;
    brq.fs = c.fs;
    brq.blk_valid = c.blk_valid;
    brq.blk_kind = c.blk_kind;
    brq.blk_id = 0x3f;
    std::string head = "HID=2 OP=" + std::to_string(c.op) + " F=" +
                       (c.f == 0x28   ? "28"
                        : c.f == 0x08 ? "08"
                                      : "00") +
                       " A=0000000000000040 KL=1 STLB=0";
    EXPECT_EQ(brq.to_string(), head + c.tail) << c.name;
  }
}

TEST(MessageText, L2tRecordNamesByLetter) {
  const char* names[] = {"URQ", "UWD", "URS", "URD", "URL", "USR", "DRQ",
                         "DWD", "DRS", "DRD", "DRL", "DSR", "HM2"};
  const char* payload_heads[] = {"RID=", "CN=",  "RID=", "CN=", "ID=", "ID=",    "RID=",
                                 "CN=",  "RID=", "CN=",  "ID=", "ID=", "ID=0 A="};
  for (unsigned k = 0; k < 13; ++k) {
    l2t_object_t message{};
    message.letter = uint8_t(0x40 + k);
    std::string expected = std::string(names[k]) + " " + payload_heads[k];
    EXPECT_EQ(message.to_string().substr(0, expected.size()), expected) << k;
  }
  l2t_object_t urq{};
  urq.letter = 0x40;
  urq.rq.rid = 1;
  EXPECT_EQ(urq.to_string(), "URQ RID=1 ID=0 T=0 F=00 A=0000000000000000 U=00000");
  for (unsigned letter : {0x3f, 0x4d, 0x51, 0}) {
    l2t_object_t message{};
    message.letter = uint8_t(letter);
    EXPECT_EQ(message.to_string(), "(unknown)") << letter;
  }
}

TEST(MessageText, DctRecordNamesByLetter) {
  const char* names[] = {"BRQ", "WUP", "DRQ", "DWD", "DRS", "DRD", "DRL", "DSR"};
  const char* payload_heads[] = {"HID=", "HID=", "RID=", "CN=", "RID=", "CN=", "ID=", "ID="};
  for (unsigned k = 0; k < 8; ++k) {
    dct_object_t message{};
    message.letter = uint8_t('Q' + k);
    std::string expected = std::string(names[k]) + " " + payload_heads[k];
    EXPECT_EQ(message.to_string().substr(0, expected.size()), expected) << k;
  }
  dct_object_t wup{};
  wup.letter = 'R';
  wup.wup.hid = 1;
  EXPECT_EQ(wup.to_string(), "WUP HID=1 GV=0 V=0:0 FS=0");
  for (unsigned letter : {0x50, 0x59, 0x40}) {
    dct_object_t message{};
    message.letter = uint8_t(letter);
    EXPECT_EQ(message.to_string(), "(unknown)") << letter;
  }
}

TEST(ObjectText, ByKind) {
  et_object_t object{};
  EXPECT_EQ(object.to_string(), "NONE");

  object.kind = et_object_t::KIND_INSN;
  object.insn = base_insn();
  EXPECT_EQ(object.to_string(), "SWT " + base_text);

  object = et_object_t{};
  object.kind = et_object_t::KIND_RVT;
  object.rvt.data = 1;
  EXPECT_EQ(object.to_string(), "RVT D=0000000000000001");

  object = et_object_t{};
  object.kind = et_object_t::KIND_L2T;
  object.l2t.letter = 0x44;
  object.l2t.rl.id = 3;
  EXPECT_EQ(object.to_string(), "L2T URL ID=3");

  object = et_object_t{};
  object.kind = et_object_t::KIND_DCT;
  object.dct.letter = 'W';
  object.dct.rl.id = 4;
  EXPECT_EQ(object.to_string(), "DCT DRL ID=4");

  object.kind = 5;
  EXPECT_EQ(object.to_string(), "(unknown)");
}

TEST(RecordNames, StreamCodes) {
  const std::pair<unsigned, const char*> codes[] = {
      {16, "TSD1"},        {31, "SWT_RVT"},     {32, "SWT_HART"},     {33, "SWT_IS"},
      {34, "SWT_IRFRA"},   {35, "SWT_IRFRD"},   {36, "SWT_IRFWA"},    {37, "SWT_IRFWD"},
      {38, "SWT_FRFRA"},   {39, "SWT_FRFRD"},   {40, "SWT_FRFWA"},    {41, "SWT_FRFWD"},
      {42, "SWT_FR"},      {43, "SWT_VA"},      {44, "SWT_PA"},       {45, "SWT_STD"},
      {46, "SWT_CM"},      {64, "SWT_L2T_URQ"}, {65, "SWT_L2T_UWD"},  {66, "SWT_L2T_URS"},
      {67, "SWT_L2T_URD"}, {68, "SWT_L2T_URL"}, {69, "SWT_L2T_USR"},  {70, "SWT_L2T_DRQ"},
      {71, "SWT_L2T_DWD"}, {72, "SWT_L2T_DRS"}, {73, "SWT_L2T_DRD"},  {74, "SWT_L2T_DRL"},
      {75, "SWT_L2T_DSR"}, {76, "SWT_L2T_HM2"}, {80, "SWT_DCT_HART"}, {81, "SWT_DCT_BRQ"},
      {82, "SWT_DCT_WUP"}, {83, "SWT_DCT_DRQ"}, {84, "SWT_DCT_DWD"},  {85, "SWT_DCT_DRS"},
      {86, "SWT_DCT_DRD"}, {87, "SWT_DCT_DRL"}, {88, "SWT_DCT_DSR"},
  };
  unsigned named = 0;
  for (unsigned code = 0; code < 300; ++code) {
    std::string expected = "unknown (" + std::to_string(code) + ")";
    for (const auto& c : codes)
      if (c.first == code) expected = c.second, ++named;
    EXPECT_EQ(mh_record_to_string(code), expected);
  }
  EXPECT_EQ(named, 39u);
  EXPECT_EQ(mh_record_to_string(17), "unknown (17)");
}

TEST(RecordNames, MessageShapes) {
  EXPECT_EQ(mh_message_shape(MH_SWT_L2T_URQ), MH_SHAPE_RQ);
  EXPECT_EQ(mh_message_shape(MH_SWT_DCT_DRD), MH_SHAPE_WD);
  EXPECT_EQ(mh_message_shape(MH_SWT_L2T_HM2), MH_SHAPE_HM2);
  EXPECT_EQ(mh_message_shape(MH_SWT_DCT_WUP), MH_SHAPE_WUP);
  EXPECT_EQ(mh_message_shape(MH_SWT_IS), MH_SHAPE_NONE);
  EXPECT_EQ(mh_message_shape(MH_SWT_DCT_HART), MH_SHAPE_NONE);
  EXPECT_STREQ(mh_message_name(MH_SWT_DCT_DSR), "DSR");
  EXPECT_EQ(mh_message_name(MH_SWT_CM), nullptr);
}

TEST(RecordNames, InstructionParts) {
  const char* names[] = {"UIID",  "STAGE", "REG_ADDR", "REG_DATA", "EA", "PC", "PRIL",
                         "CAUSE", "TRIG",  "PA",       "CHUNK",    "FR", "SD"};
  for (unsigned value = 0; value < 13; ++value)
    EXPECT_EQ(et_record_to_string(et_record_t(value)), names[value]);
  EXPECT_EQ(et_record_to_string(et_record_t(13)), "unknown (13)");
}

TEST(PrivilegeMode, LevelToModeBit) {
  const unsigned long expected[] = {4, 2, 0, 1, 0, 0};
  for (unsigned long pril = 0; pril < 6; ++pril)
    EXPECT_EQ(convert_pril_to_et_mode(pril), expected[pril]);
  EXPECT_EQ(convert_pril_to_et_mode(~0ul), 0u);
}

TEST(PrivilegeMode, MaskFromText) {
  const std::pair<const char*, unsigned long> cases[] = {
      {"", 0}, {"MSU", 7}, {"su", 6}, {"m", 1}, {"xUx", 4}, {"MMmm", 1}, {"abc", 0}, {"uSm", 7},
  };
  for (const auto& c : cases)
    EXPECT_EQ(construct_et_mode_from_string(c.first), c.second) << c.first;
}
