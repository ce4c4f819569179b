-- The database of the store-orders sample application: orders and their observations, the
-- generator of order numbers, and the change-log tables with their id procedure. The texts are
-- code page 1252 in the database (the connection has no character set); this file is UTF-8:
--   echo "CREATE DATABASE 'loja.fdb' USER 'SYSDBA' DEFAULT CHARACTER SET WIN1252;" | isql-fb -q
--   isql-fb -q -ch UTF8 -user SYSDBA loja.fdb -i samples/loja-pedidos/loja-pedidos.sql
SET SQL DIALECT 3;

CREATE TABLE fatcppedido (
  lja_codigo INTEGER NOT NULL,
  cpe_codigo INTEGER NOT NULL,
  cpe_data DATE,
  cpe_cliente VARCHAR(60),
  cpe_status CHAR(1),
  PRIMARY KEY (lja_codigo, cpe_codigo)
);

-- One observation row per order, as the observation merge expects; it goes with its order.
CREATE TABLE fatobservpedido (
  lja_codigo INTEGER NOT NULL,
  cpe_codigo INTEGER NOT NULL,
  obs_observ BLOB SUB_TYPE TEXT,
  obs_temp VARCHAR(4000),
  PRIMARY KEY (lja_codigo, cpe_codigo),
  FOREIGN KEY (lja_codigo, cpe_codigo) REFERENCES fatcppedido (lja_codigo, cpe_codigo) ON DELETE CASCADE
);

-- New order numbers (the order dataset's generator setting).
CREATE GENERATOR GEN_FATCPPEDIDO;
SET GENERATOR GEN_FATCPPEDIDO TO 1000;

-- The change log: one header row per logged change, one detail row per value.
CREATE TABLE CONTROLLOG (
  CTL_ID INTEGER NOT NULL PRIMARY KEY,
  DBA_CODIGO INTEGER,
  CTL_TABLE VARCHAR(60),
  CTL_USUARIO VARCHAR(30),
  CTL_DATAHORA TIMESTAMP,
  CTL_TPOPER CHAR(1),
  CTL_FORM VARCHAR(60),
  CTL_QUERY VARCHAR(60)
);

CREATE TABLE CONTROLLOGDET (
  CLD_ID INTEGER NOT NULL,
  CTL_ID INTEGER NOT NULL,
  CLD_FIELDNAME VARCHAR(60),
  CLD_FIELDTYPE VARCHAR(30),
  CLD_FIELDVALUE VARCHAR(500),
  PRIMARY KEY (CTL_ID, CLD_ID)
);

-- The ids of the change log: NID is a new number on every call.
CREATE GENERATOR GEN_LOG;
SET TERM ^ ;
CREATE PROCEDURE ID_LOG RETURNS (NID INTEGER) AS
BEGIN
  NID = GEN_ID(GEN_LOG, 1);
  SUSPEND;
END^
SET TERM ; ^

INSERT INTO fatcppedido VALUES (1, 101, '2026-03-02', 'Mercearia São João', 'W');
INSERT INTO fatcppedido VALUES (1, 102, '2026-03-02', 'Padaria Pão de Açúcar', 'F');
INSERT INTO fatcppedido VALUES (1, 103, '2026-03-03', 'Açougue Boi Bravo', 'W');
INSERT INTO fatobservpedido VALUES (1, 101, 'Entregar pela manhã', 'Cliente pediu nota fiscal');
INSERT INTO fatobservpedido VALUES (1, 102, 'Pedido faturado', NULL);
COMMIT;
