#pragma once
// The names of the transfer form's controls, written once: the behaviour, both views and
// the hosts' robots address controls by them, so a misspelt name fails to compile.

#include <string_view>

namespace notera::nome {

inline constexpr std::string_view FormAL = "FormAL";
inline constexpr std::string_view Pagina = "Pagina";
inline constexpr std::string_view PaginaAbas = "PaginaAbas";
inline constexpr std::string_view PagOrigem = "PagOrigem";
inline constexpr std::string_view PagDestino = "PagDestino";
inline constexpr std::string_view Panel1 = "Panel1";
inline constexpr std::string_view BtOk = "BtOk";
inline constexpr std::string_view BtSair = "BtSair";
inline constexpr std::string_view Gb_Origem = "Gb_Origem";
inline constexpr std::string_view Gb_Cheques = "Gb_Cheques";
inline constexpr std::string_view Gb_Destino = "Gb_Destino";
inline constexpr std::string_view Panel3 = "Panel3";
inline constexpr std::string_view Panel4 = "Panel4";
inline constexpr std::string_view Pn_Contabil1 = "Pn_Contabil1";
inline constexpr std::string_view Pn_Contabil2 = "Pn_Contabil2";
inline constexpr std::string_view Pn_ContabilG2 = "Pn_ContabilG2";
inline constexpr std::string_view Pn_Rodape = "Pn_Rodape";
inline constexpr std::string_view Ed_Empresa = "Ed_Empresa";
inline constexpr std::string_view Ed_Fornecedor = "Ed_Fornecedor";
inline constexpr std::string_view Ed_Custo2 = "Ed_Custo2";
inline constexpr std::string_view Ed_Banco2 = "Ed_Banco2";
inline constexpr std::string_view Ed_Despesa = "Ed_Despesa";
inline constexpr std::string_view Ed_HisPadBan = "Ed_HisPadBan";
inline constexpr std::string_view Ed_HisVarBan = "Ed_HisVarBan";
inline constexpr std::string_view Ed_HistPad2 = "Ed_HistPad2";
inline constexpr std::string_view Ed_HistVar2 = "Ed_HistVar2";
inline constexpr std::string_view Ed_Cred2 = "Ed_Cred2";
inline constexpr std::string_view Ed_Deb2 = "Ed_Deb2";
inline constexpr std::string_view Ed_CredG2 = "Ed_CredG2";
inline constexpr std::string_view Ed_DebG2 = "Ed_DebG2";
inline constexpr std::string_view GradeChq = "GradeChq";
inline constexpr std::string_view Cb_ChqSit = "Cb_ChqSit";
inline constexpr std::string_view Lb_ChqTotal = "Lb_ChqTotal";
inline constexpr std::string_view Ed_Valor = "Ed_Valor";
inline constexpr std::string_view Ed_Cliente = "Ed_Cliente";
inline constexpr std::string_view Ed_Custo1 = "Ed_Custo1";
inline constexpr std::string_view Ed_Banco1 = "Ed_Banco1";
inline constexpr std::string_view Ed_Receita = "Ed_Receita";
inline constexpr std::string_view Ed_HistPad1 = "Ed_HistPad1";
inline constexpr std::string_view Ed_HistVar1 = "Ed_HistVar1";
inline constexpr std::string_view Ed_Cred1 = "Ed_Cred1";
inline constexpr std::string_view Ed_CredG1 = "Ed_CredG1";
inline constexpr std::string_view Label1 = "Label1";
inline constexpr std::string_view Label2 = "Label2";
inline constexpr std::string_view Label3 = "Label3";
inline constexpr std::string_view Label4 = "Label4";
inline constexpr std::string_view Label5 = "Label5";
inline constexpr std::string_view Label6 = "Label6";
inline constexpr std::string_view Label7 = "Label7";
inline constexpr std::string_view Label8 = "Label8";
inline constexpr std::string_view Label9 = "Label9";
inline constexpr std::string_view Label10 = "Label10";
inline constexpr std::string_view Label11 = "Label11";
inline constexpr std::string_view Label12 = "Label12";
inline constexpr std::string_view Label13 = "Label13";
inline constexpr std::string_view Label14 = "Label14";
inline constexpr std::string_view Label15 = "Label15";
inline constexpr std::string_view Label16 = "Label16";
inline constexpr std::string_view Label17 = "Label17";
inline constexpr std::string_view Label18 = "Label18";
inline constexpr std::string_view Label19 = "Label19";
inline constexpr std::string_view Label20 = "Label20";
inline constexpr std::string_view Label21 = "Label21";
inline constexpr std::string_view Lb_CredG1 = "Lb_CredG1";

} // namespace notera::nome
