#!/usr/bin/env python3
"""Prints the rows of catch_all_rows[] in disasm/src/disasm_catch_all.cpp.

Every encoding name of insn_ids.h (from id 2 on, in id order) gets the match and
mask of its real table entry. For standard instructions that is the published
encoding, read from the public RISC-V opcode database (the directory holding
rv_i, rv64_i, ..., and unratified/). The names the database does not know
(draft packed-SIMD and bit-manipulation instructions, the custom and fused
instructions, uret) take the values listed in NOT_IN_DATABASE below.

Where the database has several encodings for one name, a real instruction beats
a pseudo-op alias and the RV64/common form beats an RV32-only one (slli has a
6-bit shift amount; slli_rv32 is a name of its own).

usage: gen_catch_all_rows.py OPCODE_EXTENSIONS_DIR  (prints the rows to paste over the old ones)
"""
import collections
import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
INSN_IDS_H = os.path.join(HERE, '..', 'src', 'insn_ids.h')

# name (underscore form), match, mask
NOT_IN_DATABASE = """
add16                0x40000077 0xfe00707f
add32                0x40002077 0xfe00707f
add64                0xc0001077 0xfe00707f
add8                 0x48000077 0xfe00707f
ave                  0xe0000077 0xfe00707f
bcompress            0x08006033 0xfe00707f
bcompressw           0x0800603b 0xfe00707f
bdecompress          0x48006033 0xfe00707f
bdecompressw         0x4800603b 0xfe00707f
bfp                  0x48007033 0xfe00707f
bfpw                 0x4800703b 0xfe00707f
clrs16               0xae800077 0xfff0707f
clrs32               0xaf800077 0xfff0707f
clrs8                0xae000077 0xfff0707f
clz16                0xae900077 0xfff0707f
clz32                0xaf900077 0xfff0707f
clz8                 0xae100077 0xfff0707f
cmix                 0x06001033 0x0600707f
cmpeq16              0x4c000077 0xfe00707f
cmpeq8               0x4e000077 0xfe00707f
cras16               0x44000077 0xfe00707f
cras32               0x44002077 0xfe00707f
crc32_b              0x61001013 0xfff0707f
crc32_d              0x61301013 0xfff0707f
crc32_h              0x61101013 0xfff0707f
crc32_w              0x61201013 0xfff0707f
crc32c_b             0x61801013 0xfff0707f
crc32c_d             0x61b01013 0xfff0707f
crc32c_h             0x61901013 0xfff0707f
crc32c_w             0x61a01013 0xfff0707f
crsa16               0x46000077 0xfe00707f
crsa32               0x46002077 0xfe00707f
fsl                  0x04001033 0x0600707f
fslw                 0x0400103b 0x0600707f
fsr                  0x04005033 0x0600707f
fsri                 0x04005013 0x0400707f
fsriw                0x0400501b 0x0600707f
fsrw                 0x0400503b 0x0600707f
fuse_add_c_lx        0x900000000000199f 0xffc7ffff00383fff
fuse_add_lx          0x90000000000019bf 0xffc7ffff00383fff
fuse_add_uw_c_lx     0x9000000400001d9f 0xffc7ffff00383fff
fuse_add_uw_lx       0x9000000400001dbf 0xffc7ffff00383fff
fuse_and_beq         0xd0000000003819bf 0xff80007f00383fff
fuse_and_c_beq       0xd00000000038199f 0xffc0007f00383fff
fuse_andi_beq        0xd0000000003809bf 0xff80000000383fff
fuse_andi_c_beq      0xd00000000038099f 0xffc0000000383fff
fuse_auipc_addi      0xc000000000000bbf 0xfff8000000003fff
fuse_auipc_c_addi    0xc000000000000b9f 0xfff8000000003fff
fuse_auipc_c_lx      0xe000000000000b9f 0xffc0000000003fff
fuse_auipc_jalr      0xf000000000000bbf 0xfff8000000003fff
fuse_auipc_lx        0xe000000000000bbf 0xffc0000000003fff
fuse_c_add_c_lx      0x900000000048017b 0xffc7fffffff801ff
fuse_c_add_lx        0x900000000048011f 0xffc7fffffff801ff
fuse_c_and_beq       0xd00000000046309f 0xff80007ffffe31ff
fuse_c_and_c_beq     0xd0000000004630fb 0xffc0007ffffe31ff
fuse_c_andi_beq      0xd00000000044009f 0xff80007ffff601ff
fuse_c_andi_c_beq    0xd0000000004400fb 0xffc0007ffff601ff
fuse_c_lui_addi      0x800000000030009f 0xfff8007ffff001ff
fuse_c_lui_c_addi    0x80000000003000fb 0xfff8007ffff001ff
fuse_c_lui_c_lx      0xa0000000003000fb 0xffc0007ffff001ff
fuse_c_lui_jalr      0xb00000000030009f 0xfff8007ffff001ff
fuse_c_lui_lx        0xa00000000030009f 0xffc0007ffff001ff
fuse_lui_addi        0x8000000000001bbf 0xfff8000000003fff
fuse_lui_c_addi      0x8000000000001b9f 0xfff8000000003fff
fuse_lui_c_lx        0xa000000000001b9f 0xffc0000000003fff
fuse_lui_jalr        0xb000000000001bbf 0xfff8000000003fff
fuse_lui_lx          0xa000000000001bbf 0xffc0000000003fff
fuse_sh1add_c_lx     0x900000100010199f 0xffc7ffff00383fff
fuse_sh1add_lx       0x90000010001019bf 0xffc7ffff00383fff
fuse_sh1add_uw_c_lx  0x9000001000101d9f 0xffc7ffff00383fff
fuse_sh1add_uw_lx    0x9000001000101dbf 0xffc7ffff00383fff
fuse_sh2add_c_lx     0x900000100020199f 0xffc7ffff00383fff
fuse_sh2add_lx       0x90000010002019bf 0xffc7ffff00383fff
fuse_sh2add_uw_c_lx  0x9000001000201d9f 0xffc7ffff00383fff
fuse_sh2add_uw_lx    0x9000001000201dbf 0xffc7ffff00383fff
fuse_sh3add_c_lx     0x900000100030199f 0xffc7ffff00383fff
fuse_sh3add_lx       0x90000010003019bf 0xffc7ffff00383fff
fuse_sh3add_uw_c_lx  0x9000001000301d9f 0xffc7ffff00383fff
fuse_sh3add_uw_lx    0x9000001000301dbf 0xffc7ffff00383fff
gorc                 0x28005033 0xfe00707f
gorciw               0x2800501b 0xfe00707f
gorcw                0x2800503b 0xfe00707f
grev                 0x68005033 0xfe00707f
greviw               0x6800501b 0xfe00707f
grevw                0x6800503b 0xfe00707f
insb                 0xac000077 0xff80707f
kabs16               0xad100077 0xfff0707f
kabs32               0xad200077 0xfff0707f
kabs8                0xad000077 0xfff0707f
kabsw                0xad400077 0xfff0707f
kadd16               0x10000077 0xfe00707f
kadd32               0x10002077 0xfe00707f
kadd64               0x90001077 0xfe00707f
kadd8                0x18000077 0xfe00707f
kaddh                0x04001077 0xfe00707f
kaddw                0x00001077 0xfe00707f
kcras16              0x14000077 0xfe00707f
kcras32              0x14002077 0xfe00707f
kcrsa16              0x16000077 0xfe00707f
kcrsa32              0x16002077 0xfe00707f
kdmabb               0xd2001077 0xfe00707f
kdmabb16             0xd8001077 0xfe00707f
kdmabt               0xe2001077 0xfe00707f
kdmabt16             0xe8001077 0xfe00707f
kdmatt               0xf2001077 0xfe00707f
kdmatt16             0xf8001077 0xfe00707f
kdmbb                0x0a001077 0xfe00707f
kdmbb16              0xda001077 0xfe00707f
kdmbt                0x1a001077 0xfe00707f
kdmbt16              0xea001077 0xfe00707f
kdmtt                0x2a001077 0xfe00707f
kdmtt16              0xfa001077 0xfe00707f
khm16                0x86000077 0xfe00707f
khm8                 0x8e000077 0xfe00707f
khmbb                0x0c001077 0xfe00707f
khmbb16              0xdc001077 0xfe00707f
khmbt                0x1c001077 0xfe00707f
khmbt16              0xec001077 0xfe00707f
khmtt                0x2c001077 0xfe00707f
khmtt16              0xfc001077 0xfe00707f
khmx16               0x96000077 0xfe00707f
khmx8                0x9e000077 0xfe00707f
kmabb                0x5a001077 0xfe00707f
kmabb32              0x5a002077 0xfe00707f
kmabt                0x6a001077 0xfe00707f
kmabt32              0x6a002077 0xfe00707f
kmada                0x48001077 0xfe00707f
kmadrs               0x6c001077 0xfe00707f
kmadrs32             0x6c002077 0xfe00707f
kmads                0x5c001077 0xfe00707f
kmads32              0x5c002077 0xfe00707f
kmar64               0x94001077 0xfe00707f
kmatt                0x7a001077 0xfe00707f
kmatt32              0x7a002077 0xfe00707f
kmaxda               0x4a001077 0xfe00707f
kmaxda32             0x4a002077 0xfe00707f
kmaxds               0x7c001077 0xfe00707f
kmaxds32             0x7c002077 0xfe00707f
kmda                 0x38001077 0xfe00707f
kmda32               0x38002077 0xfe00707f
kmmac                0x60001077 0xfe00707f
kmmac_u              0x70001077 0xfe00707f
kmmawb               0x46001077 0xfe00707f
kmmawb2              0xce001077 0xfe00707f
kmmawb2_u            0xde001077 0xfe00707f
kmmawb_u             0x56001077 0xfe00707f
kmmawt               0x66001077 0xfe00707f
kmmawt2              0xee001077 0xfe00707f
kmmawt2_u            0xfe001077 0xfe00707f
kmmawt_u             0x76001077 0xfe00707f
kmmsb                0x42001077 0xfe00707f
kmmsb_u              0x52001077 0xfe00707f
kmmwb2               0x8e001077 0xfe00707f
kmmwb2_u             0x9e001077 0xfe00707f
kmmwt2               0xae001077 0xfe00707f
kmmwt2_u             0xbe001077 0xfe00707f
kmsda                0x4c001077 0xfe00707f
kmsda32              0x4c002077 0xfe00707f
kmsr64               0x96001077 0xfe00707f
kmsxda               0x4e001077 0xfe00707f
kmsxda32             0x4e002077 0xfe00707f
kmxda                0x3a001077 0xfe00707f
kmxda32              0x3a002077 0xfe00707f
ksll16               0x64000077 0xfe00707f
ksll32               0x64002077 0xfe00707f
ksll8                0x6c000077 0xfe00707f
kslli16              0x75000077 0xff00707f
kslli32              0x84002077 0xfe00707f
kslli8               0x7c800077 0xff80707f
kslliw               0x36001077 0xfe00707f
ksllw                0x26001077 0xfe00707f
kslra16              0x56000077 0xfe00707f
kslra16_u            0x66000077 0xfe00707f
kslra32              0x56002077 0xfe00707f
kslra32_u            0x66002077 0xfe00707f
kslra8               0x5e000077 0xfe00707f
kslra8_u             0x6e000077 0xfe00707f
kslraw               0x6e001077 0xfe00707f
kslraw_u             0x7e001077 0xfe00707f
kstas16              0xc4002077 0xfe00707f
kstas32              0xc0002077 0xfe00707f
kstsa16              0xc6002077 0xfe00707f
kstsa32              0xc2002077 0xfe00707f
ksub16               0x12000077 0xfe00707f
ksub32               0x12002077 0xfe00707f
ksub64               0x92001077 0xfe00707f
ksub8                0x1a000077 0xfe00707f
ksubh                0x06001077 0xfe00707f
ksubw                0x02001077 0xfe00707f
kuzn32dl             0xc800402b 0xfe00707f
kuzn32dlh            0xca00402b 0xfe00707f
kuzn32dsx            0x8600402b 0xfe00707f
kuzn32el             0xce00402b 0xfe00707f
kuzn32elh            0xcc00402b 0xfe00707f
kuzn32esx            0x8400402b 0xfe00707f
kuzn64dl             0x4800402b 0xfe00707f
kuzn64dsx            0x0600402b 0xfe00707f
kuzn64el             0x4e00402b 0xfe00707f
kuzn64esx            0x0400402b 0xfe00707f
kwmmul               0x62001077 0xfe00707f
kwmmul_u             0x72001077 0xfe00707f
maddr32              0xc4001077 0xfe00707f
magma32g             0xd000402b 0xfe00707f
magma64              0x5000402b 0xfe00707f
msubr32              0xc6001077 0xfe00707f
mulr64               0xf0001077 0xfe00707f
mulsr64              0xe0001077 0xfe00707f
packu                0x48004033 0xfe00707f
packuw               0x4800403b 0xfe00707f
pbsad                0xfc000077 0xfe00707f
pbsada               0xfe000077 0xfe00707f
pkbb16               0x0e001077 0xfe00707f
pkbt16               0x1e001077 0xfe00707f
pkbt32               0x1e002077 0xfe00707f
pktb16               0x3e001077 0xfe00707f
pktb32               0x3e002077 0xfe00707f
pktt16               0x2e001077 0xfe00707f
radd16               0x00000077 0xfe00707f
radd32               0x00002077 0xfe00707f
radd64               0x80001077 0xfe00707f
radd8                0x08000077 0xfe00707f
raddw                0x20001077 0xfe00707f
rcras16              0x04000077 0xfe00707f
rcras32              0x04002077 0xfe00707f
rcrsa16              0x06000077 0xfe00707f
rcrsa32              0x06002077 0xfe00707f
rstas16              0xb4002077 0xfe00707f
rstas32              0xb0002077 0xfe00707f
rstsa16              0xb6002077 0xfe00707f
rstsa32              0xb2002077 0xfe00707f
rsub16               0x02000077 0xfe00707f
rsub32               0x02002077 0xfe00707f
rsub64               0x82001077 0xfe00707f
rsub8                0x0a000077 0xfe00707f
rsubw                0x22001077 0xfe00707f
sbg32lin1            0xa400402b 0xfe00707f
sbg32lin2            0xa600402b 0xfe00707f
sbg32tau1            0xa000402b 0xfe00707f
sbg32tau2            0xa200402b 0xfe00707f
sbg64lin1            0x2400402b 0xfe00707f
sbg64lin2            0x2600402b 0xfe00707f
sbg64tau1            0x2000402b 0xfe00707f
sbg64tau2            0x2200402b 0xfe00707f
sclip16              0x84000077 0xff00707f
sclip32              0xe4000077 0xfe00707f
sclip8               0x8c000077 0xff80707f
scmple16             0x1c000077 0xfe00707f
scmple8              0x1e000077 0xfe00707f
scmplt16             0x0c000077 0xfe00707f
scmplt8              0x0e000077 0xfe00707f
shfl                 0x08001033 0xfe00707f
shflw                0x0800103b 0xfe00707f
sll16                0x54000077 0xfe00707f
sll32                0x54002077 0xfe00707f
sll8                 0x5c000077 0xfe00707f
slli16               0x74000077 0xff00707f
slli32               0x74002077 0xfe00707f
slli8                0x7c000077 0xff80707f
smal                 0x5e001077 0xfe00707f
smalbb               0x88001077 0xfe00707f
smalbt               0x98001077 0xfe00707f
smalda               0x8c001077 0xfe00707f
smaldrs              0x9a001077 0xfe00707f
smalds               0x8a001077 0xfe00707f
smaltt               0xa8001077 0xfe00707f
smalxda              0x9c001077 0xfe00707f
smalxds              0xaa001077 0xfe00707f
smaqa                0xc8000077 0xfe00707f
smaqa_su             0xca000077 0xfe00707f
smar64               0x84001077 0xfe00707f
smax16               0x82000077 0xfe00707f
smax32               0x92002077 0xfe00707f
smax8                0x8a000077 0xfe00707f
smbb16               0x08001077 0xfe00707f
smbt16               0x18001077 0xfe00707f
smbt32               0x18002077 0xfe00707f
smdrs                0x68001077 0xfe00707f
smdrs32              0x68002077 0xfe00707f
smds                 0x58001077 0xfe00707f
smds32               0x58002077 0xfe00707f
smin16               0x80000077 0xfe00707f
smin32               0x90002077 0xfe00707f
smin8                0x88000077 0xfe00707f
smmul                0x40001077 0xfe00707f
smmul_u              0x50001077 0xfe00707f
smmwb                0x44001077 0xfe00707f
smmwb_u              0x54001077 0xfe00707f
smmwt                0x64001077 0xfe00707f
smmwt_u              0x74001077 0xfe00707f
smslda               0xac001077 0xfe00707f
smslxda              0xbc001077 0xfe00707f
smsr64               0x86001077 0xfe00707f
smtt16               0x28001077 0xfe00707f
smtt32               0x28002077 0xfe00707f
smul16               0xa0000077 0xfe00707f
smul8                0xa8000077 0xfe00707f
smulx16              0xa2000077 0xfe00707f
smulx8               0xaa000077 0xfe00707f
smxds                0x78001077 0xfe00707f
smxds32              0x78002077 0xfe00707f
sra16                0x50000077 0xfe00707f
sra16_u              0x60000077 0xfe00707f
sra32                0x50002077 0xfe00707f
sra32_u              0x60002077 0xfe00707f
sra8                 0x58000077 0xfe00707f
sra8_u               0x68000077 0xfe00707f
sra_u                0x24001077 0xfe00707f
srai16               0x70000077 0xff00707f
srai16_u             0x71000077 0xff00707f
srai32               0x70002077 0xfe00707f
srai32_u             0x80002077 0xfe00707f
srai8                0x78000077 0xff80707f
srai8_u              0x78800077 0xff80707f
srai_u               0xd4001077 0xfc00707f
sraiw_u              0x34001077 0xfe00707f
srl16                0x52000077 0xfe00707f
srl16_u              0x62000077 0xfe00707f
srl32                0x52002077 0xfe00707f
srl32_u              0x62002077 0xfe00707f
srl8                 0x5a000077 0xfe00707f
srl8_u               0x6a000077 0xfe00707f
srli16               0x72000077 0xff00707f
srli16_u             0x73000077 0xff00707f
srli32               0x72002077 0xfe00707f
srli32_u             0x82002077 0xfe00707f
srli8                0x7a000077 0xff80707f
srli8_u              0x7a800077 0xff80707f
stas16               0xf4002077 0xfe00707f
stas32               0xf0002077 0xfe00707f
stsa16               0xf6002077 0xfe00707f
stsa32               0xf2002077 0xfe00707f
sub16                0x42000077 0xfe00707f
sub32                0x42002077 0xfe00707f
sub64                0xc2001077 0xfe00707f
sub8                 0x4a000077 0xfe00707f
sunpkd810            0xac800077 0xfff0707f
sunpkd820            0xac900077 0xfff0707f
sunpkd830            0xaca00077 0xfff0707f
sunpkd831            0xacb00077 0xfff0707f
sunpkd832            0xad300077 0xfff0707f
uclip16              0x85000077 0xff00707f
uclip32              0xf4000077 0xfe00707f
uclip8               0x8d000077 0xff80707f
ucmple16             0x3c000077 0xfe00707f
ucmple8              0x3e000077 0xfe00707f
ucmplt16             0x2c000077 0xfe00707f
ucmplt8              0x2e000077 0xfe00707f
ukadd16              0x30000077 0xfe00707f
ukadd32              0x30002077 0xfe00707f
ukadd64              0xb0001077 0xfe00707f
ukadd8               0x38000077 0xfe00707f
ukaddh               0x14001077 0xfe00707f
ukaddw               0x10001077 0xfe00707f
ukcras16             0x34000077 0xfe00707f
ukcras32             0x34002077 0xfe00707f
ukcrsa16             0x36000077 0xfe00707f
ukcrsa32             0x36002077 0xfe00707f
ukmar64              0xb4001077 0xfe00707f
ukmsr64              0xb6001077 0xfe00707f
ukstas16             0xe4002077 0xfe00707f
ukstas32             0xe0002077 0xfe00707f
ukstsa16             0xe6002077 0xfe00707f
ukstsa32             0xe2002077 0xfe00707f
uksub16              0x32000077 0xfe00707f
uksub32              0x32002077 0xfe00707f
uksub64              0xb2001077 0xfe00707f
uksub8               0x3a000077 0xfe00707f
uksubh               0x16001077 0xfe00707f
uksubw               0x12001077 0xfe00707f
umaqa                0xcc000077 0xfe00707f
umar64               0xa4001077 0xfe00707f
umax16               0x92000077 0xfe00707f
umax32               0xa2002077 0xfe00707f
umax8                0x9a000077 0xfe00707f
umin16               0x90000077 0xfe00707f
umin32               0xa0002077 0xfe00707f
umin8                0x98000077 0xfe00707f
umsr64               0xa6001077 0xfe00707f
umul16               0xb0000077 0xfe00707f
umul8                0xb8000077 0xfe00707f
umulx16              0xb2000077 0xfe00707f
umulx8               0xba000077 0xfe00707f
unshfl               0x08005033 0xfe00707f
unshflw              0x0800503b 0xfe00707f
uradd16              0x20000077 0xfe00707f
uradd32              0x20002077 0xfe00707f
uradd64              0xa0001077 0xfe00707f
uradd8               0x28000077 0xfe00707f
uraddw               0x30001077 0xfe00707f
urcras16             0x24000077 0xfe00707f
urcras32             0x24002077 0xfe00707f
urcrsa16             0x26000077 0xfe00707f
urcrsa32             0x26002077 0xfe00707f
uret                 0x00200073 0xffffffff
urstas16             0xd4002077 0xfe00707f
urstas32             0xd0002077 0xfe00707f
urstsa16             0xd6002077 0xfe00707f
urstsa32             0xd2002077 0xfe00707f
ursub16              0x22000077 0xfe00707f
ursub32              0x22002077 0xfe00707f
ursub64              0xa2001077 0xfe00707f
ursub8               0x2a000077 0xfe00707f
ursubw               0x32001077 0xfe00707f
zunpkd810            0xacc00077 0xfff0707f
zunpkd820            0xacd00077 0xfff0707f
zunpkd830            0xace00077 0xfff0707f
zunpkd831            0xacf00077 0xfff0707f
zunpkd832            0xad700077 0xfff0707f"""


def field_bits(arg_lut):
    bits = {}
    for line in open(arg_lut):
        parts = [p.strip().strip('"') for p in line.split(',')]
        if len(parts) == 3:
            bits[parts[0]] = (int(parts[1]), int(parts[2]))
    return bits


def encode(tokens, bits):
    """Match and mask of the fixed fields ("31..25=0", "12=1", "rd=0") of a line."""
    match = mask = 0
    for token in tokens:
        if '=' not in token:
            continue
        lhs, value = token.split('=')
        try:
            value = int(value, 0)
        except ValueError:
            continue  # a field tied to another one ("rs2=rs1"): no fixed bits
        if lhs in bits:
            hi, lo = bits[lhs]
        elif '..' in lhs:
            hi, lo = map(int, lhs.split('..'))
        else:
            hi = lo = int(lhs)
        width_mask = ((1 << (hi - lo + 1)) - 1) << lo
        match |= value << lo
        mask |= width_mask
    return match, mask


def load_database(root):
    bits = field_bits(os.path.join(root, '..', 'arg_lut.csv'))
    found = collections.defaultdict(list)
    for dirpath, _, files in os.walk(root):
        for name in sorted(files):
            rv32_only = name.startswith('rv32_')
            for line in open(os.path.join(dirpath, name)):
                tokens = line.split('#')[0].split()
                if not tokens or tokens[0] == '$import':
                    continue
                pseudo = tokens[0] == '$pseudo_op'
                if pseudo:
                    tokens = tokens[2:]
                match, mask = encode(tokens[1:], bits)
                # lower rank wins: real before pseudo, common/RV64 before RV32-only
                rank = 2 * pseudo + rv32_only
                found[tokens[0].replace('.', '_')].append((rank, match, mask))
    return {name: min(forms)[1:] for name, forms in found.items()}


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    database = load_database(sys.argv[1])
    listed = {}
    for line in NOT_IN_DATABASE.strip().splitlines():
        name, match, mask = line.split()
        listed[name] = (int(match, 16), int(mask, 16))
    name_list = open(INSN_IDS_H).read().split('insn_names = {')[1].split('};')[0]
    names = re.findall(r'"(\w+)"', name_list)
    for name in names[2:]:
        if name in listed:
            match, mask = listed[name]
        elif name in database:
            match, mask = database[name]
        else:
            sys.exit('no encoding for ' + name)
        digits = 16 if match >> 32 else 8
        print('  {"%s", 0x%0*x, 0x%0*x},' % (name, digits, match, digits, mask))


if __name__ == '__main__':
    main()
