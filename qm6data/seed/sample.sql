-- Sample data for the console's demo store. Runs on a store freshly made by
-- qm6data (the schema is the library's own). Money is in ten-thousandths:
-- 1000 is 0.10. Lengths are tenths of a millimetre. Rule priority 2 is a
-- printer profile, so the rules below belong to the printer profiles by id.

UPDATE system_settings SET currency_format = '$#,##0.00;($#,##0.00)' WHERE settings_id = 1;

-- unit type: 0 inches, 1 millimetres, 2 centimetres
INSERT INTO paper_sizes (paper_size_id, description, width, height, unit_type, bw_page_cost,
                         color_page_cost) VALUES
    (1, 'A4',             2100, 2970, 1, 1000, 5000),
    (2, 'Letter',         2159, 2794, 0, 1000, 5000),
    (3, 'A3',             2970, 4200, 1, 2000, 9000),
    (4, 'Legal',          2159, 3556, 0, 1200, 5500),
    (5, 'Photo 10 x 15',  1000, 1500, 2,  500, 7500),
    (6, 'A5',             1480, 2100, 1,  600, 3000);

INSERT INTO price_profiles (price_profile_id, description, pricing_option, job_type, bw_cost,
                            color_cost) VALUES
    (1, 'Standard per page',      1, 1, 1000, 5000),
    (2, 'Library per paper size', 3, 1, 1000, 5000),
    (3, 'Staff copies',           0, 2,    0,    0);

-- Prices of profile 2 that differ from the paper sizes' defaults.
INSERT INTO paper_size_prices (price_profile_id, paper_size_id, bw_cost, color_cost) VALUES
    (2, 1,  800, 4000),
    (2, 3, 2500, 12500),
    (2, 5,  500, 6250);

INSERT INTO printer_profiles (printer_profile_id, description, price_profile_id) VALUES
    (1, 'Front desk laser',       1),
    (2, 'Library colour printer', 2),
    (3, 'Staff room copier',      3),
    (4, 'Lab plotter',            NULL);

-- Job options: 0 colour required, 1 monochrome required, 2 double-sided,
-- 3 n-up, 4 ignore all printing limits, 5 custom field selection.
INSERT INTO job_option_rules (rule_priority, parent_id, option_type, value_text) VALUES
    (2, 1, 1, ''),
    (2, 1, 2, ''),
    (2, 1, 5, '1,2,3'),
    (2, 2, 0, ''),
    (2, 2, 3, ''),
    (2, 2, 5, '4'),
    (2, 3, 4, ''),
    (2, 3, 2, '');

-- Department is linked to Cost centre: choosing one asks for the other.
INSERT INTO custom_fields (field_id, caption, display_order, link_parent_id) VALUES
    (1, 'Project code',   1, 0),
    (2, 'Department',     2, 0),
    (3, 'Client',         4, 0),
    (4, 'Course',         5, 0),
    (5, 'Cost centre',    6, 2);

-- Custom actions. Type 8 asks the user for the custom fields whose ids its
-- parameter 1 lists (a linked pair by parent then child); type 2 shows the
-- message of its parameter 1.
INSERT INTO rule_actions (action_id, description, action_type) VALUES
    (1, 'Ask for a project code',            8),
    (2, 'Ask for department and cost centre', 8),
    (3, 'Ask for course and client',         8),
    (4, 'Remind of the printing guidelines', 2);

INSERT INTO rule_action_parameters (action_id, position, value) VALUES
    (1, 1, '1'),
    (2, 1, '2,5'),
    (3, 1, '4,3'),
    (4, 1, 'Please print double-sided where you can.');

-- limit types: 1 pages per job, 2 pages per day, 3 cost per job, 4 cost per
-- day (money), 5 jobs per day, 6 pages per month
INSERT INTO printing_limits (rule_priority, parent_id, display_order, limit_type, limit_value,
                             title, message_text, stop_job) VALUES
    (2, 1, 1, 1,    200, 'Large job',     'This job has more than 200 pages.', 1),
    (2, 1, 2, 4, 125000, 'Daily budget',  'You have spent $12.50 today.', 0),
    (2, 2, 1, 3,  52500, 'Expensive job', 'This job costs more than $5.25.', 1),
    (2, 2, 2, 2,    500, 'Daily pages',   'You have printed 500 pages today.', 0),
    (2, 2, 3, 6,   2000, 'Monthly pages', 'You have printed 2000 pages this month.', 1);
