-- Version 2: the seats of an equipment, when known, so that coverage can
-- be judged up to the last seat of the leg.
ALTER TABLE EQUIPAMENTO ADD COLUMN QTASSENTOS INTEGER;
