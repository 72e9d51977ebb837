/*
 * libNotera: the transfer of funds between two companies of the group.
 *
 * Every text that crosses this interface is Windows code page 1252. A short text is a
 * pointer to a length byte followed by at most 255 characters; a text is a NUL-terminated
 * string, a null pointer meaning the empty text; a truth value is one byte (non-zero true);
 * a date-time is a double counting days since 30 December 1899, the fraction being the
 * time of day.
 *
 * The library hands the host's selection service three objects of its own: a data set,
 * a string list and a field. Each is a pointer to a struct whose first member points at a
 * table of operations; the host calls those operations and never frees the objects, which
 * live for the duration of the service call only.
 */
#ifndef NOTERA_NOTERA_H
#define NOTERA_NOTERA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32)
#define NOTERA_CALL __stdcall
#define NOTERA_EXPORT __declspec(dllexport)
#else
#define NOTERA_CALL
#define NOTERA_EXPORT __attribute__((visibility("default")))
#endif

typedef struct NoteraDataSet NoteraDataSet;
typedef struct NoteraStrings NoteraStrings;
typedef struct NoteraField NoteraField;

/*
 * A catalogue's records in the data set's order, one of them current. Ordinals count
 * from 0. Reading a value copies at most size-1 bytes and a NUL into buffer and returns
 * the value's whole length, so a caller can retry with a larger buffer.
 */
typedef struct NoteraDataSetOps {
    int32_t(NOTERA_CALL* Count)(NoteraDataSet* ds);
    int32_t(NOTERA_CALL* Position)(NoteraDataSet* ds); /* -1 when there is no record */
    uint8_t(NOTERA_CALL* MoveTo)(NoteraDataSet* ds, int32_t ordinal);
    uint8_t(NOTERA_CALL* Next)(NoteraDataSet* ds); /* 0 when it was on the last record */
    int32_t(NOTERA_CALL* FieldIndex)(NoteraDataSet* ds, const char* name); /* -1: unknown */
    int32_t(NOTERA_CALL* Value)(NoteraDataSet* ds, int32_t field, char* buffer, int32_t size);
    /* Moves to the first record, in order, whose field equals text (partial != 0: begins
       with it); answers 0 and stays when there is none. */
    uint8_t(NOTERA_CALL* Locate)(NoteraDataSet* ds, int32_t field, const char* text,
                                 uint8_t partial);
    /* Moving by keys: each costs what it reads, whatever the data set's size, whereas
       Count, Position and MoveTo count records. A bookmark names the current record for
       the rest of the service call; -1 when there is no record. */
    uint8_t(NOTERA_CALL* Prior)(NoteraDataSet* ds); /* 0 when it was on the first record */
    uint8_t(NOTERA_CALL* First)(NoteraDataSet* ds); /* 0 when there is no record */
    uint8_t(NOTERA_CALL* Last)(NoteraDataSet* ds);  /* 0 when there is no record */
    int32_t(NOTERA_CALL* Bookmark)(NoteraDataSet* ds);
    uint8_t(NOTERA_CALL* GotoBookmark)(NoteraDataSet* ds, int32_t bookmark); /* 0: gone */
} NoteraDataSetOps;

struct NoteraDataSet {
    const NoteraDataSetOps* ops;
};

typedef struct NoteraStringsOps {
    void(NOTERA_CALL* Add)(NoteraStrings* list, const char* text);
    int32_t(NOTERA_CALL* Count)(NoteraStrings* list);
    int32_t(NOTERA_CALL* Get)(NoteraStrings* list, int32_t index, char* buffer, int32_t size);
} NoteraStringsOps;

struct NoteraStrings {
    const NoteraStringsOps* ops;
};

typedef struct NoteraFieldOps {
    int32_t(NOTERA_CALL* Name)(NoteraField* field, char* buffer, int32_t size);
    /* The field's value on the data set's current record. */
    int32_t(NOTERA_CALL* Value)(NoteraField* field, char* buffer, int32_t size);
} NoteraFieldOps;

struct NoteraField {
    const NoteraFieldOps* ops;
};

/*
 * The host's record selection dialog. Shows the data set's records with the given columns
 * (the first is the key) and titles, opened on the current record. On a choice it leaves
 * the data set on the chosen record and adds that record's value of the first column to
 * list; on cancel the list stays empty. `zero` is always 0.
 */
typedef void(NOTERA_CALL* NoteraSelecionaRegistro)(const char* caption, NoteraDataSet* dataSet,
                                                   const char* const* columns, int32_t lastColumn,
                                                   const char* const* titles, int32_t lastTitle,
                                                   int32_t zero, NoteraStrings* list,
                                                   NoteraField* firstField);

/* Table reservation: the names are tables[0..last]. Answers non-zero when granted. */
typedef uint8_t(NOTERA_CALL* NoteraReservaTabelas)(const char* const* tables, int32_t last);
typedef void(NOTERA_CALL* NoteraLiberaTabelas)(const char* const* tables, int32_t last);

/*
 * Shows the form "Transferência de Recursos" for the destination company and blocks until
 * it closes. Answers non-zero when a transfer was posted. SelecionaRegistro may be null;
 * the reservation services are required.
 */
NOTERA_EXPORT uint8_t NOTERA_CALL
GeraAL(const unsigned char* DirDados, int32_t CodEmpDestino, uint8_t Contabil, double ValorInicial,
       const unsigned char* TabelaLanPag, const unsigned char* TabelaChqPag,
       const unsigned char* TabelaLanRec, NoteraSelecionaRegistro SelecionaRegistro,
       const char* RefPagamentos, NoteraReservaTabelas ReservaTabelas,
       NoteraLiberaTabelas LiberaTabelas, const char* TextoControle, double DataMovimento);

#ifdef __cplusplus
}
#endif

#endif
