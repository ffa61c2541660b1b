-- The role the hosts log in with for the screen's lookups. It reads the
-- tables the screen and its report query and writes nothing: every change
-- goes through the app server (role ate), which checks it and records it
-- in PROPSERVICO_LOG. Run once by PostgreSQL's administrator, in the
-- database the app servers use, after the schema exists:
--   sudo -u postgres psql -d ate -v ON_ERROR_STOP=1 -1 -f - < db/hosts-role.sql
-- then give the role its password with \password ate_consulta.

CREATE ROLE ate_consulta LOGIN;

-- Only the app server's role and this one may connect (the database is
-- named by the session, so the script runs on any database name).
DO $$
BEGIN
  EXECUTE format('REVOKE CONNECT, TEMPORARY ON DATABASE %I FROM PUBLIC', current_database());
  EXECUTE format('GRANT CONNECT ON DATABASE %I TO ate_consulta', current_database());
END
$$;

-- Before PostgreSQL 15 every role could create tables in public.
REVOKE CREATE ON SCHEMA public FROM PUBLIC;
GRANT USAGE ON SCHEMA public TO ate_consulta;

-- The lookups of the screen (branches, classes, services, cycles) and the
-- report's header and body.
GRANT SELECT ON FILIAL, COMPANHIA, EQUIPAMENTO, TRECHO, CLASSE, CLASSECIA, CICLO, CICLOCIA, PRODUTO, PROPSERVICO
  TO ate_consulta;

-- No ALTER DEFAULT PRIVILEGES: a table added later is read by the hosts
-- only when the change script that adds it grants it, so that what only
-- the app server reads (PROPSERVICO_LOG, ATE_GRAVACAO) stays out of reach.
