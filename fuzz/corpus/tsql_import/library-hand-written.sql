/* Library schema, written by hand.
   /* nested: drop table Nothing */ still a comment
*/
use library;
set nocount on;

exec sp_addtype isbn, 'varchar(13)', 'NOT NULL'
exec sp_addtype N'money_t', N'decimal (10, 2)'

-- Publishers are looked up by their code.
create table dbo.publisher (
  code char(4) primary key,
  name nvarchar(80) not null,
  city nvarchar(40) null,
  founded smalldatetime
);

CREATE TABLE "Author" (
  Id int identity(1, 1) not null constraint PK_Author primary key clustered,
  FullName nvarchar(60) not null,
  Born date null,
  Country char(2) null references Country(Code)
);

create table Book (
  isbn isbn primary key,
  title nvarchar(200) not null,
  price money_t,
  pages smallint default 0 not null check (pages >= 0),
  publisherCode char(4) not null foreign key references dbo.publisher,
  authorId int not null,
  translatorId int null references Author(FullName),
  cover varbinary(max),
  summary ntext,
  listPrice as price * 1.1,
  isbn13 varchar(13) null,
  constraint FK_Book_Author foreign key (authorId) references Author (Id) on delete cascade on update no action
);

create table BookAuthor (
  bookIsbn varchar(13) not null references Book,
  authorId int not null references Author,
  primary key (bookIsbn, authorId)
);

create table Loan (
  loanNo int not null,
  bookIsbn varchar(13) not null,
  borrowedOn datetime not null default getdate(),
  [due-date] datetime null,
  returned bit not null default (0),
  CONSTRAINT PK_Loan PRIMARY KEY NONCLUSTERED (loanNo)
);

create table Shelf (
  location varchar(10),
  capacity int
);

create table Broken (
  id int primary key,
  weird thing here,
  name varchar(10)
);

CREATE TABLE [dbo].[CusUsers] ([customerid] [int] IDENTITY (1, 1) NOT NULL PRIMARY KEY);

create table #scratch (n int);

create view LoanView as select * from Loan;
go
create procedure AddLoan @isbn varchar(13) as
begin
  create table Ghost (id int primary key);
  insert into Loan (loanNo, bookIsbn) values (1, @isbn);
end
go

alter table Loan add constraint FK_Loan_Book foreign key (bookIsbn) references Book (isbn);
alter table Loan with nocheck add check (loanNo > 0);
alter table Loan nocheck constraint all;
alter table Nowhere add constraint FK_x foreign key (a) references Book (isbn);
alter table Shelf add primary key (location) oops extra;

if exists (select * from sys.objects where name = 'Old') drop table Old;
insert into Shelf values ('A1', 10);
exec sp_addextendedproperty N'MS_Description', N'出版社', N'user', N'dbo', N'table', N'publisher'
exec sp_addextendedproperty N'MS_Description', N'社名', N'user', N'dbo', N'table', N'publisher', N'column', N'name'
