#pragma once
// Field widths of the record formats count bytes: every literal must be Windows-1252.
#ifndef KALMO_UTF8_LITERALS
static_assert(sizeof("ä") == 2, "compile with -fexec-charset=CP1252");
#endif
