-- Version 3: the history of a leg's ranges.
--
-- IDORIGEM tells which tool stored a logged change: 'C' a copy between
-- legs, 'I' a CSV import, null the screen's own save (and every row logged
-- before this version, when only the screen stored ranges one by one).
ALTER TABLE PROPSERVICO_LOG ADD COLUMN IDORIGEM CHAR(1)
  CHECK (IDORIGEM = 'C' OR IDORIGEM = 'I');

-- The history reads one leg (optionally one service) newest first by IDLOG,
-- a page at a time below a given IDLOG, optionally within a period. A row's
-- key is in its _NEW columns, or in its _OLD ones for an exclusion, so the
-- indexes are on the same COALESCE expressions the query writes (both
-- databases use an expression index only for the very same expression).
-- IDLOG follows the key, so a page is a short backward walk of the index;
-- DTLOG comes last so that a period is judged on the index entry, without
-- reading the rows outside it. The cost: each logged change updates both
-- indexes as well.
CREATE INDEX PROPSERVICO_LOG_TRECHO ON PROPSERVICO_LOG (
  COALESCE(CDFILIAL_NEW, CDFILIAL_OLD), COALESCE(CDCIA_NEW, CDCIA_OLD), COALESCE(NRVOO_NEW, NRVOO_OLD),
  COALESCE(CDTRECHO_NEW, CDTRECHO_OLD), IDLOG, DTLOG);

CREATE INDEX PROPSERVICO_LOG_SERVICO ON PROPSERVICO_LOG (
  COALESCE(CDFILIAL_NEW, CDFILIAL_OLD), COALESCE(CDCIA_NEW, CDCIA_OLD), COALESCE(NRVOO_NEW, NRVOO_OLD),
  COALESCE(CDTRECHO_NEW, CDTRECHO_OLD), COALESCE(CDSERVICO_NEW, CDSERVICO_OLD), IDLOG, DTLOG);
