// A program of one's own writing a trace of one instruction with the suite's
// stream writer; `quendle -c examples/soc.xml -t my.trace -o my.swt` lists it.
#include "etrace/stream/et_writer.h"

int main() {
  et_writer_t w("my.trace", 0);     // ring size 0: straight to the file
  w.configure(64, 64, 64, 64, 40);  // XLEN, FLEN, IRF_DATA_WIDTH, va = XLEN, PADDR_WIDTH
  w.record_swt_hart(0);
  w.record_tsd1(1);
  w.record_swt_is(0, 3, 0x00c58533);  // uiid 0, machine mode: add a0, a1, a2
  w.record_swt_irfra(0, 1, 11);       // piid 0, selector 1 (rs1): a1
  w.record_swt_irfrd(0, 1, 5);
  w.record_swt_irfra(0, 2, 12);  // selector 2 (rs2): a2
  w.record_swt_irfrd(0, 2, 7);
  w.record_swt_irfwa(0, 10);  // rd: a0
  w.record_swt_irfwd(0, 12);
  w.record_tsd1(2);
  w.record_swt_cm(0, 0x80000000, false, false, 0, false);
  w.close();  // completes the stream and closes the file
}
