-- The store database of the examples: customers and the generator of their codes. The change
-- log's objects come from docs/change-log.sql. This file is UTF-8; the database keeps its texts
-- in code page 1252 (WIN1252), read with isql-fb -ch UTF8.
CREATE TABLE clientes (
  cli_codigo INTEGER NOT NULL PRIMARY KEY,
  cli_nome VARCHAR(60) NOT NULL,
  cli_cidade VARCHAR(40)
);

CREATE SEQUENCE GEN_CLIENTES;
ALTER SEQUENCE GEN_CLIENTES RESTART WITH 1000;

INSERT INTO clientes VALUES (1, 'Mercearia São João', 'Recife');
INSERT INTO clientes VALUES (2, 'Açougue Boi Bravo', 'Olinda');
COMMIT;
