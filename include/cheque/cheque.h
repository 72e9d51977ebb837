/*
 * libCheque: prints one bank cheque on a cheque printer.
 *
 * Every text is Windows code page 1252. Buffers of 1024 characters are read up to their
 * first NUL, or whole when they hold none.
 */
#ifndef CHEQUE_CHEQUE_H
#define CHEQUE_CHEQUE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define CHEQUE_CALL __stdcall
#define CHEQUE_EXPORT __declspec(dllexport)
#else
#define CHEQUE_CALL
#define CHEQUE_EXPORT __attribute__((visibility("default")))
#endif

/*
 * Prints the front of the cheque, then offers the back (when Verso is not empty) and a
 * plain-paper copy (when ImprimeCopia is non-zero).
 *
 * Arquivo    buffer of 1024 chars, written: the print file's path, NUL-terminated; all NUL
 *            when the call failed (then fCheque_Erro() tells why).
 * Porta      port or device: COMn, LPTn, an absolute path (a file appended to) or a queue.
 * NomeBanco  counted string: points at NUL-terminated characters whose 32-bit length is
 *            stored in the four bytes right before the first one. May be null (empty).
 * DataCheque days since 30 December 1899; the time of day is ignored.
 * Empresa    short string: one count byte, then up to 255 characters. May be null.
 */
CHEQUE_EXPORT void CHEQUE_CALL fCheque_Morvane(char* Arquivo, const char* Porta, double ValorCheque,
                                               int32_t Banco, const char* NomeBanco,
                                               int32_t NumeroCheque, double DataCheque,
                                               const char* Portador, const char* Cidade,
                                               uint8_t ImprimeCopia, const char* Verso,
                                               const unsigned char* Empresa);

/* Message of the last failed fCheque_Morvane on this thread; empty after a success. */
CHEQUE_EXPORT const char* CHEQUE_CALL fCheque_Erro(void);

#ifdef __cplusplus
}
#endif

#endif
