-- A database written by hand, not by the program: a view, a composite key,
-- a table without a key, enum/set/json/blob columns, a foreign key over two
-- columns, text columns, a capitalised and a reserved column name and
-- nullable numbers and dates. import_db.sh checks one warning for each.
CREATE TABLE author (
  id INT AUTO_INCREMENT PRIMARY KEY COMMENT '作者编号',
  name VARCHAR(60) NOT NULL COMMENT '姓名',
  bio TEXT,
  born DATE NULL COMMENT '生日'
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COMMENT='作者';

CREATE TABLE book (
  isbn VARCHAR(20) NOT NULL PRIMARY KEY COMMENT 'ISBN',
  Title VARCHAR(200) NOT NULL COMMENT '书名',
  authorId INT NOT NULL COMMENT '作者',
  status ENUM('draft','published') NOT NULL DEFAULT 'draft',
  tags SET('new','hot'),
  meta JSON,
  cover BLOB,
  price DECIMAL(8,2) NOT NULL COMMENT '价格',
  published DATETIME NOT NULL,
  `order` INT NOT NULL DEFAULT 0,
  CONSTRAINT fk_book_author FOREIGN KEY (authorId) REFERENCES author(id)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COMMENT='图书';

CREATE TABLE edition (
  bookIsbn VARCHAR(20) NOT NULL,
  number INT NOT NULL,
  printed INT,
  PRIMARY KEY (bookIsbn, number),
  FOREIGN KEY (bookIsbn) REFERENCES book(isbn)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE review (
  id INT AUTO_INCREMENT PRIMARY KEY,
  bookIsbn VARCHAR(20) NOT NULL,
  editionNumber INT NOT NULL,
  body MEDIUMTEXT NOT NULL COMMENT '内容',
  score FLOAT NULL,
  CONSTRAINT fk_review_edition FOREIGN KEY (bookIsbn, editionNumber) REFERENCES edition(bookIsbn, number)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE audit_log (
  at TIMESTAMP NOT NULL DEFAULT CURRENT_TIMESTAMP,
  message VARCHAR(255)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE VIEW book_titles AS SELECT isbn, Title FROM book;
