#pragma once
// The cheque cases run by both builds: the Linux library's print files are the expected
// bytes of the Windows DLL's. Texts in code page 1252.

struct CasoCheque {
    const char* nome;
    const char* porta;
    double valor;
    int banco;
    const char* nomeBanco;
    int numero;
    double data; // days since 30 December 1899
    const char* portador;
    const char* cidade;
    bool copia;
    const char* verso;
    const char* empresa;
    int plataforma;        // 1: the 9x family, 2: the NT family
    const char* modeCom;   // "" or a file MODE.COM planted in the command directory
    const char* respostas; // one S or N per question, in order
    const char* erro;      // "" when the call succeeds, else the message expected
};

// 50 characters, beyond the front's payee field of 40.
#define CHEQUE_PORTADOR_LONGO "Maria Aparecida dos Santos Oliveira Pereira Junior"

inline const CasoCheque CasosCheque[] = {
    {"so_frente", "LPT1", 1234.50, 1, "Banco do Brasil", 4321, 37685, "Jos\xE9 da Silva", "Recife",
     false, "", "Com\xE9rcio Alfa Ltda", 2, "", "", ""},
    {"verso_e_copia", "LPT1", 1234.50, 1, "Banco do Brasil", 4321, 37685, "Jos\xE9 da Silva",
     "Recife", true, "Pague-se a\r\nFulano\r\n", "Com\xE9rcio Alfa Ltda", 2, "", "SS", ""},
    {"nao_verso_sim_copia_9x", "LPT2", 0.5, 237, "  Bradesco  ", 17, 36525.75, "Ana",
     "  S\xE3o Paulo ", true, "Linha 1\n\nLinha 3", "Alfa", 1, "COMMAND", "NS", ""},
    {"mode_com_nt", "COM2", 1001.5, 12345, "Caixa Econ\xF4mica Federal S.A. - Ag\xEAncia Centro", 1,
     37000.999, CHEQUE_PORTADOR_LONGO, "Cidade com um nome bem maior que trinta", true, "",
     "Empresa", 2, "SYSTEM32", "S", ""},
    {"valor_grande_negativo", "\\\\servidor\\cheques", -123456789.125, 0, "", 0, 2, "", "", true,
     "", "", 2, "", "S", ""},
    {"sem_respostas_sim", "LPT1", 100, 1, "B", 2, 37685, "P", "C", true, "Verso", "E", 2, "", "NN",
     ""},
    // Port texts that would reach the command interpreter are refused before any file.
    {"porta_e_comercial", "LPT1 & del C:\\x", 1, 1, "B", 1, 37685, "P", "C", false, "", "E", 2, "",
     "", "Porta de impress\xE3o inv\xE1lida: LPT1 & del C:\\x"},
    {"porta_linha_nova", "LPT1 C:\\a.TXT\r\nPRINT /D:C:\\x C:\\boot.ini", 1, 1, "B", 1, 37685, "P",
     "C", false, "", "E", 2, "", "",
     "Porta de impress\xE3o inv\xE1lida: LPT1 C:\\a.TXT??PRINT /D:C:\\x C:\\boot.ini"},
    {"porta_redirecao", "LPT1>C:\\x", 1, 1, "B", 1, 37685, "P", "C", false, "", "E", 1, "", "",
     "Porta de impress\xE3o inv\xE1lida: LPT1>C:\\x"},
    {"porta_barra", "LPT1|calc", 1, 1, "B", 1, 37685, "P", "C", false, "", "E", 2, "", "",
     "Porta de impress\xE3o inv\xE1lida: LPT1|calc"},
    {"porta_aspas", "\"LPT1", 1, 1, "B", 1, 37685, "P", "C", false, "", "E", 2, "", "",
     "Porta de impress\xE3o inv\xE1lida: \"LPT1"},
    {"porta_variavel", "%COMSPEC%", 1, 1, "B", 1, 37685, "P", "C", false, "", "E", 2, "", "",
     "Porta de impress\xE3o inv\xE1lida: %COMSPEC%"},
    {"porta_circunflexo", "LPT1^&x", 1, 1, "B", 1, 37685, "P", "C", false, "", "E", 2, "", "",
     "Porta de impress\xE3o inv\xE1lida: LPT1^&x"},
};
