-- Demo catalogue of iap-sandbox: loaded into every new database unless
-- --seed names another file. Tables are described in docs/sandbox.md.
-- Prices are written in the base currency (US dollars); a country shows
-- them multiplied by its price_rate, rounded to its currency precision.

-- Countries. Exactly one row should have is_default = 1: it answers an
-- unknown or empty MCC.
INSERT INTO countries (country_code, mcc, name, currency_unit, price_rate,
                       currency_unit_precedes, currency_unit_has_penny,
                       currency_unit_division, free_store, freetab, sns_val,
                       is_default, position) VALUES
  ('US', '310', 'United States', '$',   1.0,    1, 1, 0, 0, 1, 1, 1, 1),
  ('KR', '450', 'Korea',         'KRW', 1000.0, 0, 0, 1, 1, 0, 2, 0, 2),
  ('DE', '262', 'Germany',       '€',   0.9,    0, 1, 0, 0, 1, 0, 0, 3);

-- Item groups: one large enough to page through, one small, one empty.
INSERT INTO item_groups (group_id, name) VALUES
  ('100000000001', 'Gem packs'),
  ('100000000002', 'Characters'),
  ('100000000003', 'Coming soon');

INSERT INTO items (group_id, item_id, position, name, price, description,
                   image_url, download_url, reserved1, reserved2) VALUES
  ('100000000001', '000000001001',  1, 'Gem pack 1',  0.99, 'A handful of gems',        '', '', '', ''),
  ('100000000001', '000000001002',  2, 'Gem pack 2',  1.99, 'A pouch of gems',          '', '', '', ''),
  ('100000000001', '000000001003',  3, 'Gem pack 3',  2.99, 'A bag of gems',            '', '', '', ''),
  ('100000000001', '000000001004',  4, 'Gem pack 4',  3.99, 'A sack of gems',           '', '', '', ''),
  ('100000000001', '000000001005',  5, 'Gem pack 5',  4.99, 'A chest of gems',          '', '', 'bonus', ''),
  ('100000000001', '000000001006',  6, 'Gem pack 6',  5.99, 'Gems & a free key',        '', '', '', ''),
  ('100000000001', '000000001007',  7, 'Gem pack 7',  6.99, 'Gems <limited edition>',   '', '', '', ''),
  ('100000000001', '000000001008',  8, 'Gem pack 8',  7.99, 'A crate of gems',          '', '', '', ''),
  ('100000000001', '000000001009',  9, 'Gem pack 9',  8.99, 'A cart of gems',           '', '', '', ''),
  ('100000000001', '000000001010', 10, 'Gem pack 10', 9.99, 'A wagon of gems',          '', '', 'bonus', ''),
  ('100000000001', '000000001011', 11, 'Gem pack 11', 10.99, 'A barrel of gems',        '', '', '', ''),
  ('100000000001', '000000001012', 12, 'Gem pack 12', 11.99, 'A vault of gems',         '', '', '', ''),
  ('100000000001', '000000001013', 13, 'Gem pack 13', 12.99, 'A tower of gems',         '', '', '', ''),
  ('100000000001', '000000001014', 14, 'Gem pack 14', 13.99, 'A mountain of gems',      '', '', '', ''),
  ('100000000001', '000000001015', 15, 'Gem pack 15', 14.99, 'A valley of gems',        '', '', 'bonus', ''),
  ('100000000001', '000000001016', 16, 'Gem pack 16', 15.99, 'A river of gems',         '', '', '', ''),
  ('100000000001', '000000001017', 17, 'Gem pack 17', 16.99, 'A lake of gems',          '', '', '', ''),
  ('100000000001', '000000001018', 18, 'Gem pack 18', 17.99, 'A sea of gems',           '', '', '', ''),
  ('100000000001', '000000001019', 19, 'Gem pack 19', 18.99, 'An ocean of gems',        '', '', '', ''),
  ('100000000001', '000000001020', 20, 'Gem pack 20', 19.99, 'A planet of gems',        '', '', 'bonus', ''),
  ('100000000001', '000000001021', 21, 'Gem pack 21', 24.99, 'A moon of gems',          '', '', '', ''),
  ('100000000001', '000000001022', 22, 'Gem pack 22', 29.99, 'A star of gems',          '', '', '', ''),
  ('100000000001', '000000001023', 23, 'Gem pack 23', 39.99, 'A galaxy of gems',        '', '', '', ''),
  ('100000000001', '000000001024', 24, 'Gem pack 24', 49.99, 'A universe of gems',      '', '', '', ''),
  ('100000000001', '000000001025', 25, 'Gem pack 25', 99.99, 'All the gems there are',  '', '', 'bonus', 'vip'),
  ('100000000002', '000000002001',  1, 'Knight',      1.49, 'A brave knight',           '', '', '', ''),
  ('100000000002', '000000002002',  2, 'Wizard',      1.49, 'A wise wizard',            '', '', '', ''),
  ('100000000002', '000000002003',  3, 'Dragon',      4.99, 'A dragon, handle with care', '', '', '', '');

-- Accounts that the device's sign-in can check with checkPassword. Only
-- salted hashes are stored (PBKDF2-HMAC-SHA256, see docs/sandbox.md); the
-- passwords are demo1234, kim5678 and empty0000. A seed may also give a
-- password as text: it is hashed before the new database is stored.
INSERT INTO accounts (email, password, user_id, mcc) VALUES
  ('demo@vexmora.com',  'pbkdf2-sha256$20000$1b01355aa421310ab954ca0d43e73212$d84e8ca87c2d28b2a21826c36501243c3e580f5a9d660a2743d1ae3c5f129df1', 'U1000001', '310'),
  ('kim@vexmora.com',   'pbkdf2-sha256$20000$f672c049583354383ef1fea2af840621$9394d7be156dc4cea154237145b723bd33a07b1781376b864985d4819f80169c', 'U1000002', '450'),
  ('empty@vexmora.com', 'pbkdf2-sha256$20000$fa38b24edf9927d150fe4c8bbcc23996$7c7948c97ce766bc293788c5c8595857a745311af3d8dfed9f2f95313df9d568', 'U1000003', '262');

-- Purchases of the demo account (purchase_date is YYYYMMDDhhmmss).
INSERT INTO purchases (payment_id, user_id, group_id, item_id, purchase_date) VALUES
  ('P0000000001', 'U1000001', '100000000001', '000000001001', '20240105093000'),
  ('P0000000002', 'U1000001', '100000000001', '000000001005', '20240212181510'),
  ('P0000000003', 'U1000001', '100000000001', '000000001025', '20240301120000'),
  ('P0000000004', 'U1000001', '100000000002', '000000002003', '20240315220145'),
  ('P0000000005', 'U1000002', '100000000002', '000000002001', '20240402070809');

-- Payment methods offered per country and item (getPaymentMethodSearch).
-- price NULL: the item's own price in that country. An empty company or
-- list leaves that field out of the record.
--   Gem packs: a credit card everywhere (in DE without a company); in the US
--     packs 1 to 5 also premium SMS; in KR also a phone micro-payment, a code
--     the device does not support.
--   Knight: credit card and premium SMS. Wizard: premium SMS only (in the US
--     at its own price). Dragon: in the US only codes the device does not
--     support; in KR and DE nothing at all.
INSERT INTO payment_offers (country_code, group_id, item_id, position, payment_method,
                            payment_type_id, company, provider_list, price)
  SELECT 'US', group_id, item_id, 1, 'CreditCard', 'CC01', 'Vexmora Pay', '', NULL
    FROM items WHERE group_id = '100000000001';
INSERT INTO payment_offers (country_code, group_id, item_id, position, payment_method,
                            payment_type_id, company, provider_list, price)
  SELECT 'US', group_id, item_id, 2, 'PSMS', 'SM01', 'Mobile Billing', 'Carrier One;Carrier Two', NULL
    FROM items WHERE group_id = '100000000001' AND position <= 5;
INSERT INTO payment_offers (country_code, group_id, item_id, position, payment_method,
                            payment_type_id, company, provider_list, price)
  SELECT 'KR', group_id, item_id, 1, 'CreditCard', 'CC01', 'Vexmora Pay', '', NULL
    FROM items WHERE group_id = '100000000001';
INSERT INTO payment_offers (country_code, group_id, item_id, position, payment_method,
                            payment_type_id, company, provider_list, price)
  SELECT 'KR', group_id, item_id, 2, 'MicroPayment', 'MP01', 'Phone Bill Korea', 'SKT;KT;LGT', NULL
    FROM items WHERE group_id = '100000000001';
INSERT INTO payment_offers (country_code, group_id, item_id, position, payment_method,
                            payment_type_id, company, provider_list, price)
  SELECT 'DE', group_id, item_id, 1, 'CreditCard', 'CC02', '', '', NULL
    FROM items WHERE group_id = '100000000001';

INSERT INTO payment_offers (country_code, group_id, item_id, position, payment_method,
                            payment_type_id, company, provider_list, price) VALUES
  ('US', '100000000002', '000000002001', 1, 'CreditCard',   'CC01', 'Vexmora Pay',    '',                        NULL),
  ('US', '100000000002', '000000002001', 2, 'PSMS',         'SM01', 'Mobile Billing', 'Carrier One;Carrier Two', NULL),
  ('KR', '100000000002', '000000002001', 1, 'CreditCard',   'CC01', 'Vexmora Pay',    '',                        NULL),
  ('KR', '100000000002', '000000002001', 2, 'PSMS',         'SM02', 'Mobile Billing', '',                        NULL),
  ('DE', '100000000002', '000000002001', 1, 'CreditCard',   'CC02', '',               '',                        NULL),
  ('DE', '100000000002', '000000002001', 2, 'PSMS',         'SM03', '',               'Carrier Drei',            NULL),
  ('US', '100000000002', '000000002002', 1, 'PSMS',         'SM01', 'Mobile Billing', 'Carrier One;Carrier Two', 1.99),
  ('KR', '100000000002', '000000002002', 1, 'PSMS',         'SM02', 'Mobile Billing', '',                        NULL),
  ('DE', '100000000002', '000000002002', 1, 'PSMS',         'SM03', '',               'Carrier Drei',            NULL),
  ('US', '100000000002', '000000002003', 1, 'CyberCash',    'CY01', 'Gem Bank',       '',                        NULL),
  ('US', '100000000002', '000000002003', 2, 'PrepaidCard',  'PP01', 'Card Corner',    'Card Corner;Top Up',      NULL);
