// The host's table reservations on a server whose connection was lost.

#include "Arvore.h"

#include "db/Conjunto.h"
#include "host/Reservas.h"

#include <gtest/gtest.h>
#include <libpq-fe.h>

namespace {

bool falaDaConexao(const std::string& t) {
    return t.find("terminating connection") != std::string::npos ||
           t.find("server closed the connection") != std::string::npos ||
           t.find("no connection to the server") != std::string::npos;
}

// A busy table is refused without a word; a server that cannot be asked is refused with
// its text, which the host shows; the next reservation goes through a new connection.
TEST(ReservasNoServidor, ConexaoPerdidaRecusaComOTextoDoServidor) {
    Arvore arvore(Motor::Postgres);
    db::Tabela emp(arvore.registro(), "TbEmp"); // keeps the tree's connection open
    emp.abre();
    Reservas r(arvore.dados(), 300);

    PGconn* outra = PQconnectdb(arvore.uri().c_str());
    ASSERT_EQ(PQstatus(outra), CONNECTION_OK) << PQerrorMessage(outra);
    PQclear(PQexec(outra, "SELECT pg_advisory_lock(hashtextextended('notera:public.tbcal', 0))"));
    EXPECT_FALSE(r.reserva({"TbCal"}));
    EXPECT_EQ(r.erro(), "");
    PQclear(PQexec(outra, "SELECT pg_advisory_unlock_all()"));
    PQfinish(outra);

    arvore.executa(arvore.registro(),
                   "SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                   "datname = current_database() AND pid <> pg_backend_pid()");
    EXPECT_FALSE(r.reserva({"TbCal"}));
    EXPECT_TRUE(falaDaConexao(r.erro())) << r.erro();

    EXPECT_TRUE(r.reserva({"TbCal"}));
    EXPECT_EQ(r.erro(), "");
    r.libera({"TbCal"});
}

} // namespace
