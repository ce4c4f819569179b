-- The change log's database objects: one CONTROLLOG row per logged change, one CONTROLLOGDET row
-- per value of that change, and the procedure ID_LOG that hands out the ids. The components only
-- write to them; an application that turns the change log on creates them once, for example:
--
--   isql-fb -user SYSDBA -password ... store.fdb -i docs/change-log.sql
--
-- CLD_FIELDVALUE holds the first 500 characters of a value; CLD_FIELDTYPE the longest type name
-- ("TYPEDBINARY", 11 characters).

CREATE TABLE CONTROLLOG (
  CTL_ID       INTEGER NOT NULL PRIMARY KEY,
  DBA_CODIGO   INTEGER,
  CTL_TABLE    VARCHAR(100),
  CTL_USUARIO  VARCHAR(60),
  CTL_DATAHORA TIMESTAMP,
  CTL_TPOPER   CHAR(1),
  CTL_FORM     VARCHAR(100),
  CTL_QUERY    VARCHAR(100)
);

CREATE TABLE CONTROLLOGDET (
  CTL_ID         INTEGER NOT NULL,
  CLD_ID         INTEGER NOT NULL,
  CLD_FIELDNAME  VARCHAR(100),
  CLD_FIELDTYPE  VARCHAR(20),
  CLD_FIELDVALUE VARCHAR(500),
  PRIMARY KEY (CTL_ID, CLD_ID)
);

CREATE SEQUENCE GEN_CONTROLLOG;

SET TERM ^ ;
CREATE PROCEDURE ID_LOG RETURNS (NID INTEGER) AS
BEGIN
  NID = GEN_ID(GEN_CONTROLLOG, 1);
END^
SET TERM ; ^

COMMIT;
