// Names of the control and status registers by CSR number.
#pragma once

// The name of `csr`, or "unknown-csr" for a number without one (negative
// numbers and numbers above 0xfff included). Static storage; never freed.
char const* csr_name(int csr);
